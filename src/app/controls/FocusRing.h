#pragma once

#include <QFocusFrame>

// A ring round whichever control of `window` has the keyboard focus, just outside the control, so that
// the focus shows in every style: on a list with no current entry, on a drop-down or a button. The window
// owns it.
class FocusRing : public QFocusFrame {
public:
    explicit FocusRing(QWidget& window);
};
