#pragma once

#include <QIcon>
#include <QPixmap>

// The windows' pictures, drawn as text in resources/ and compiled in.
namespace Images {
QIcon hammer();      // the main window's icon
QPixmap safetyOn();  // green lamp lit: safety requests on
QPixmap safetyOff(); // red lamp lit: safety requests off
QIcon pathDialog();  // the path dialog's folder icon
} // namespace Images
