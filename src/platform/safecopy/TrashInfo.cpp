#include "platform/safecopy/TrashInfo.h"

#include <QDateTime>
#include <cerrno>

namespace TrashInfo {

namespace {
const QByteArray heading = "[Trash Info]";
const QByteArray ourMark = "# Kept by Stowbox";
} // namespace

QByteArray text(const QByteArray& recordedPath) {
    return heading + "\nPath=" + recordedPath.toPercentEncoding("/") + "\nDeletionDate=" +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1() + '\n' +
           ourMark + '\n';
}

// Only the keys of the [Trash Info] group count, as for any desktop-entry file.
StepValue<Fields> parse(const QByteArray& text) {
    StepValue<Fields> parsed;
    bool inGroup = false;
    bool hasPath = false;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('[')) {
            inGroup = line == heading;
        } else if (line == ourMark) {
            parsed.value.ours = true;
        } else if (inGroup && line.startsWith("Path=") && !hasPath) {
            parsed.value.path = QByteArray::fromPercentEncoding(line.mid(5));
            hasPath = true;
        } else if (inGroup && line.startsWith("DeletionDate=")) {
            parsed.value.deletionDate = line.mid(13);
        }
    }
    if (!hasPath || parsed.value.path.isEmpty())
        parsed.result = StepResult::failure(StepResult::Kind::NotThere, ENOENT, QStringLiteral("No Path="));
    return parsed;
}

} // namespace TrashInfo
