#include "app/pathdialog/DriveList.h"

#include <QDir>
#include <QSignalBlocker>

namespace {

bool holds(const QString& driveDirectory, const QString& directory) {
    const QString base = QDir::cleanPath(driveDirectory);
    if (directory == base)
        return true;
    return directory.startsWith(base.endsWith(QLatin1Char('/')) ? base : base + QLatin1Char('/'));
}

} // namespace

DriveList::DriveList(DriveSource& source, QWidget* parent) : QComboBox(parent), source_(source) {
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            emit changed();
    });
}

void DriveList::startAt(const QString& directory) {
    const QSignalBlocker quiet(this);
    drives_ = source_.drives();
    clear();
    const QString target = QDir::cleanPath(QDir::fromNativeSeparators(directory));
    int best = -1;
    qsizetype bestLength = -1;
    for (int index = 0; index < drives_.size(); ++index) {
        const Drive& candidate = drives_.at(index);
        addItem(candidate.name);
        // The innermost drive wins; of equals, the first listed (mounted volumes before Wine letters).
        const qsizetype length = QDir::cleanPath(candidate.directory).size();
        if (holds(candidate.directory, target) && length > bestLength) {
            best = index;
            bestLength = length;
        }
    }
    setCurrentIndex(best >= 0 ? best : 0);
}

Drive DriveList::drive() const {
    const int index = currentIndex();
    return index >= 0 && index < drives_.size() ? drives_.at(index) : Drive{};
}
