#include "support/Form1Probe.h"

#include "app/BagList.h"
#include "app/Form1.h"

#include <QAction>
#include <QPushButton>

namespace {

QString state(const char* name, bool enabled) {
    return QLatin1String(name) + (enabled ? QStringLiteral(":on") : QStringLiteral(":off"));
}

} // namespace

QString controlStates(const Form1Probe& form) {
    return QStringList{state("load", form.Command1->isEnabled()), state("save", form.Command2->isEnabled()),
                       state("list", form.File1->isEnabled()), state("delete", form.menDelete->isEnabled()),
                       state("rename", form.menRename->isEnabled())}
        .join(QLatin1Char(' '));
}
