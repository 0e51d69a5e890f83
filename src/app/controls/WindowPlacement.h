#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a window whose frame is `size` opens beside the window framed by `main`, tops level: to its
// right where it fits, else to its left where it fits, else on the side with more room. Always within
// `available` where it fits at all, over the main window if need be.
namespace WindowPlacement {

QPoint besideWindow(const QRect& main, const QSize& size, const QRect& available);

} // namespace WindowPlacement
