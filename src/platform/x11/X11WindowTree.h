#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <functional>

// The windows of an X server, seen through a connection of our own, so that every window counts
// whether the program itself draws on X11, offscreen or on Wayland.
namespace X11WindowTree {

// instance and windowClass are the two halves of a window's WM_CLASS.
using ClassTest = std::function<bool(QByteArrayView instance, QByteArrayView windowClass)>;

// True when a window anywhere in the tree of any screen, mapped or not, has a WM_CLASS that passes
// the test. An empty display name means $DISPLAY. False when no server answers within about two
// seconds, and after an error or at that limit whatever the windows seen until then gave.
bool anyWindowClass(const QByteArray& displayName, const ClassTest& test);

} // namespace X11WindowTree
