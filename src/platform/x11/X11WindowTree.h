#pragma once

#include "platform/StepResult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <functional>

// The windows of an X server, seen through a connection of our own, so that every window counts
// whether the program itself draws on X11, offscreen or on Wayland.
namespace X11WindowTree {

// instance and windowClass are the two halves of a window's WM_CLASS. The name by which the window is the
// one looked for, a part of either; empty when it is not.
using ClassTest = std::function<QByteArrayView(QByteArrayView instance, QByteArrayView windowClass)>;

// The first window anywhere in the tree of any screen, mapped or not, whose WM_CLASS passes the test, as
// "window 0x400001 of class NAME". An empty display name means $DISPLAY. Cannot tell when no server
// answers within about two seconds, or when the connection breaks or that limit passes before a window
// is found.
Sighting findWindow(const QByteArray& displayName, const ClassTest& test);

} // namespace X11WindowTree
