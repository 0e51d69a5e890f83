#pragma once

#include "app/prompts/Prompter.h"

#include <QString>

// Every text the path dialog shows, in one place so that they never drift.
namespace Form2Texts {

inline const QString windowTitle = QStringLiteral("Set Path to Palace");

// Captions and tooltips.
inline const QString pathTip = QStringLiteral("Displays chosen path information");
inline const QString okCaption = QStringLiteral("Ok");
inline const QString okTip = QStringLiteral("Click here to accept path setting");
inline const QString cancelCaption = QStringLiteral("Cancel");
inline const QString cancelTip = QStringLiteral("Ends the set path procedure");

// Names for assistive tools and for scripts that drive the dialog.
inline const QString directoriesName = QStringLiteral("Directories");
inline const QString pathName = QStringLiteral("Chosen path");
inline const QString drivesName = QStringLiteral("Drives");

// Ok with nothing chosen.
inline const QString emptyPathTitle = QStringLiteral("ERROR");
inline const QString emptyPathText = QStringLiteral("You cannot set an empty path");

// A drive whose directory cannot be listed.
inline const QString diskErrorTitle = QStringLiteral("Disk Error");
inline const QString diskErrorText =
    joinLines({QStringLiteral("The specified drive cannot be found."),
               QStringLiteral("Please ensure the drive is connected and operating "
                              "properly.")});

// Ok when the settings store cannot be written; the dialog stays open.
inline const QString storeErrorTitle = QStringLiteral("Settings Error");
inline QString storeErrorText(const QString& location, const QString& reason) {
    const QString where = location.isEmpty() ? QStringLiteral("The settings store")
                                             : QStringLiteral("The settings file ") + location;
    const QString why =
        reason.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + reason + QLatin1Char('.');
    return joinLines({QStringLiteral("The Palace directory could not be stored."),
                      where + QStringLiteral(" cannot be written") + why,
                      QStringLiteral("Nothing was changed.")});
}

} // namespace Form2Texts
