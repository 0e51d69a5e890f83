#pragma once

#include <QString>
#include <QWidget>

// A control's tooltip is also its description for a screen reader: lists and tables do not fall back on
// the tooltip, as buttons do.
namespace ControlTip {

inline void set(QWidget& control, const QString& tip) {
    control.setToolTip(tip);
    control.setAccessibleDescription(tip);
}

} // namespace ControlTip
