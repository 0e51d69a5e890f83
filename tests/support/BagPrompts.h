#pragma once

#include <QString>

// The requests that more than one bag operation makes, as Form1Probe describes them.
extern const QString askBagName;           // the name prompt of save, also offered by load
extern const QString askNewBagName;        // the name prompt of rename
extern const QString palaceFilesError;     // a save that could not read or write its files
extern const QString clientRunningRefusal; // load or save while the client runs

// Rename's reports: no name typed, and a rename the system refused (from and to as shown, the reason).
extern const QString renameNoNameError;
QString renameError(const QString& from, const QString& to, const QString& reason);
