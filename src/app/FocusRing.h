#pragma once

class QWidget;

// Draws a ring round whichever control of `window` has the keyboard focus, just outside the control,
// so that the focus shows in every style: on a list with no current entry, on a drop-down or a button.
void showFocusRing(QWidget& window);
