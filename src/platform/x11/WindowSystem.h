#pragma once

// Whether a window could be shown at all, as the toolkit would find its display: a platform chosen in
// QT_QPA_PLATFORM other than X11 or Wayland needs none (offscreen, for one); else $DISPLAY or
// $WAYLAND_DISPLAY must name one. Without it the toolkit would abort the program.
namespace WindowSystem {

bool reachable();

} // namespace WindowSystem
