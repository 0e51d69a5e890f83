#pragma once

#include "ProgramVersion.h"

#include "app/prompts/Prompter.h"

#include <QString>

// Every text the main window and its operations show, in one place so that they never drift.
namespace Form1Texts {

inline const QString windowTitle = QStringLiteral("STX");

// Captions and tooltips.
inline const QString loadCaption = QStringLiteral("&Load");
inline const QString saveCaption = QStringLiteral("&Save");
inline const QString startPalaceCaption = QStringLiteral("Start &Palace");
inline const QString listTip = QStringLiteral("Displays saved prop bags");
inline const QString loadTip = QStringLiteral("Loads selected file");
inline const QString saveTip = QStringLiteral("Saves current prop file");
inline const QString startPalaceTip = QStringLiteral("Launches Palace32 client");
inline const QString safetyTip = QStringLiteral("Displays status of safety requests");
inline const QString safetyOn = QStringLiteral("Safety On");
inline const QString safetyOff = QStringLiteral("Safety Off");

// Names a screen reader gives the controls that show no text of their own.
inline const QString listName = QStringLiteral("Saved prop bags");
inline const QString safetyStripName = QStringLiteral("Safety requests");
// What a screen reader adds for a bag that holds the live file's bytes.
inline const QString loadedBagDescription = QStringLiteral("Holds the props now in palace.prp");

// Menus.
inline const QString fileMenu = QStringLiteral("&File");
inline const QString deleteItem = QStringLiteral("&Delete");
inline const QString renameItem = QStringLiteral("Rena&me");
inline const QString closeItem = QStringLiteral("&Close");
inline const QString optionsMenu = QStringLiteral("&Options");
inline const QString setPathItem = QStringLiteral("Set Path to Palace Files");
inline const QString disableSafetyItem = QStringLiteral("Disable Safety Requests");
inline const QString aboutMenu = QStringLiteral("&About");
inline const QString aboutItem = QStringLiteral("STX");

// The name the name prompts offer.
inline const QString defaultBagName = QStringLiteral("myprop");

// Refusal while the client runs (save and load).
inline const QString clientRunningTitle = QStringLiteral("Error");
inline const QString clientRunningText = joinLines(
    {QStringLiteral("Palace is currently running on your system."),
     QStringLiteral("You may not use STX's Load or Save feature until you close the palace client.")});

// Save, and the client start that shares its error.
inline const QString namePrompt = joinLines({QStringLiteral("Please enter a name for the prop file"),
                                             QStringLiteral("NOTE: Do not use any file extension")});
inline const QString saveNameTitle = QStringLiteral("Prop File Name");
inline const QString palaceFilesTitle = QStringLiteral("ERROR");
inline const QString palaceFilesText = joinLines(
    {QStringLiteral("Could not find palace files."),
     QStringLiteral(
         "Please use Options and Set Path to specify the directory where your palace files reside.")});

// Load.
inline const QString loadQuestionTitle = QStringLiteral("File Load Confirmation");
inline const QString loadQuestionText =
    joinLines({QStringLiteral("This function will load the selected prop file in place of the existing one."),
               QString(28, QChar(' ')) + QStringLiteral("Would you like to save existing file first?")});
inline const QString finalLoadTitle = QStringLiteral("Final Load Confirm");
inline QString finalLoadText(const QString& file) {
    return QStringLiteral("File ") + file + QStringLiteral(" will be loaded now");
}
inline const QString loadDoneTitle = QStringLiteral("Load Successful");
inline QString loadDoneText(const QString& file) {
    return QStringLiteral("File ") + file + QStringLiteral(" has been successfully loaded.");
}

// Delete and rename.
inline const QString deleteTitle = QStringLiteral("Confirm File Delete");
inline QString deleteText(const QString& file) {
    return QStringLiteral("Delete file ") + file + QStringLiteral("?");
}
inline const QString renameTitle = QStringLiteral("Rename Prop File");
inline const QString renameErrorTitle = QStringLiteral("Rename Error");
inline const QString renameErrorText =
    joinLines({QStringLiteral("You must choose a valid name."), QStringLiteral("Operation aborted.")});

// Titles of the reports of a failed file step, which name the file and the system's reason.
inline const QString loadErrorTitle = QStringLiteral("Load Error");
inline const QString deleteErrorTitle = QStringLiteral("Delete Error");
inline QString loadErrorText(const QString& bag, const QString& liveFile, const QString& reason) {
    return joinLines(
        {QStringLiteral("Could not copy ") + bag + QStringLiteral(" to ") + liveFile + QLatin1Char('.'),
         reason});
}
// A step done whose folder could not be synced after it: a power cut might still undo it.
inline QString notDurableText(const QString& file, const QString& reason) {
    return joinLines({QStringLiteral("The change to ") + file +
                          QStringLiteral(" is made, but it may not be safe on disk yet."),
                      reason});
}
inline QString deleteErrorText(const QString& bag, const QString& reason) {
    return joinLines({QStringLiteral("Could not delete ") + bag + QLatin1Char('.'), reason});
}
inline QString renameFailedText(const QString& bag, const QString& newBag, const QString& reason) {
    return joinLines(
        {QStringLiteral("Could not rename ") + bag + QStringLiteral(" to ") + newBag + QLatin1Char('.'),
         reason});
}
// A load that cannot read the settings file: it copies nothing.
inline QString settingsReadErrorText(const QString& settingsFile, const QString& reason) {
    return joinLines(
        {QStringLiteral("Could not read the settings file ") + settingsFile + QLatin1Char('.'), reason});
}
// The reason given when a typed name would leave the program directory or name no file at all.
inline const QString notOneFileName = QStringLiteral("The name must be one file name, without a folder.");

// The last guard before a loss, whatever the safety switch: a file that no trash can take.
inline const QString permanentDeleteTitle = QStringLiteral("Delete Permanently");
inline QString permanentDeleteText(const QString& file, const QString& reason) {
    return file + QStringLiteral(" cannot be moved to the trash: ") + reason +
           QStringLiteral(". Delete it permanently?");
}

// Client start.
inline const QString startQuestionTitle = QStringLiteral("Run Palace Confirmation");
inline const QString startQuestionText = QStringLiteral("Are you sure?");

// About box. The empty line in the middle is the shareware notice, which this version leaves empty.
inline const QString aboutTitle = QStringLiteral("About STX");
inline const QString aboutText = [] {
    const QChar cr(13);
    return QLatin1String(programTitle) + QLatin1Char(' ') + cr + cr +
           QStringLiteral("This product is provided as is with no implicit or implied warranties.") + cr +
           QStringLiteral(
               "The author takes no responsibility for any damages or losses which may occur from the use "
               "of this product in any way, shape, or form.") +
           cr + cr + QString() + cr + cr + QStringLiteral("Thanks to everyone for your support") + cr + cr +
           QStringLiteral("Copyright \u00A9 2026 the Stowbox developers. All rights reserved.");
}();

} // namespace Form1Texts
