#pragma once

#include <QIcon>
#include <QPixmap>

// The main window's pictures, drawn as text in resources/ and compiled in.
namespace Form1Images {
QIcon hammer();      // the window icon
QPixmap safetyOn();  // green lamp lit: safety requests on
QPixmap safetyOff(); // red lamp lit: safety requests off
} // namespace Form1Images
