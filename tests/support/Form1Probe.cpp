#include "support/Form1Probe.h"

#include "app/mainwindow/BagList.h"
#include "app/mainwindow/Form1.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QTest>

namespace {

QString state(const char* name, bool enabled) {
    return QLatin1String(name) + (enabled ? QStringLiteral(":on") : QStringLiteral(":off"));
}

} // namespace

QStringList Form1Probe::bagNames() const {
    QStringList names;
    const QAbstractItemModel& rows = *File1->model();
    for (int row = 0; row < rows.rowCount(); ++row)
        names.append(rows.index(row, 0).data().toString());
    return names;
}

bool Form1Probe::selectBag(const QString& name) const {
    const int row = static_cast<int>(bagNames().indexOf(name));
    if (row < 0)
        return false;
    File1->setCurrentIndex(File1->model()->index(row, 0));
    return true;
}

QString controlStates(const Form1Probe& form) {
    return QStringList{state("load", form.Command1->isEnabled()), state("save", form.Command2->isEnabled()),
                       state("list", form.File1->isEnabled()), state("delete", form.menDelete->isEnabled()),
                       state("rename", form.menRename->isEnabled())}
        .join(QLatin1Char(' '));
}

bool focusShowsAround(QWidget& control, QWidget& elsewhere) {
    QWidget* window = control.window();
    window->show();
    QApplication::setActiveWindow(window);
    if (!QTest::qWaitForWindowActive(window))
        return false;
    elsewhere.setFocus(Qt::TabFocusReason);
    const QImage before = window->grab().toImage();
    control.setFocus(Qt::TabFocusReason);
    const QImage after = window->grab().toImage();
    const QRect r(control.mapTo(window, QPoint(0, 0)), control.size());
    int changed = 0;
    for (const QPoint at : {QPoint(r.left() - 2, r.center().y()), QPoint(r.right() + 2, r.center().y()),
                            QPoint(r.center().x(), r.top() - 2), QPoint(r.center().x(), r.bottom() + 2)})
        changed += window->rect().contains(at) && before.pixel(at) != after.pixel(at) ? 1 : 0;
    return changed >= 3;
}
