#pragma once

#include <QString>

// The main window's requests as describe() shows them, with every text spelled out here so that a
// wrong text in the program shows. Files are named as the window names them.
extern const QString askBagName;           // the name prompt of save, also offered by load
extern const QString askNewBagName;        // the name prompt of rename
extern const QString palaceFilesError;     // a save that could not read or write its files, a failed start
extern const QString clientRunningRefusal; // load or save while the client runs
extern const QString loadQuestion;         // load's offer to save the live file first
extern const QString startQuestion;        // the client start's confirmation
QString finalLoadQuestion(const QString& file);
QString loadDone(const QString& file);
QString deleteQuestion(const QString& file);

// Reports of a failed step: the files as shown, and the system's reason.
QString loadFailure(const QString& bag, const QString& liveFile, const QString& reason);
QString deleteFailure(const QString& bag, const QString& reason);
// A step done whose folder could not be synced afterwards, under the title of the step's errors.
QString notDurable(const QString& title, const QString& file, const QString& reason);
QString renameError(const QString& from, const QString& to, const QString& reason);
// The question before a file that no trash can take is destroyed for good.
QString permanentDeleteQuestion(const QString& file, const QString& reason);
extern const QString renameNoNameError; // rename with no name typed
