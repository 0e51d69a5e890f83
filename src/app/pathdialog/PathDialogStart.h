#pragma once

#include <QString>

class SettingsStore;

// Where the path dialog's lists stand when it opens, asked at each opening: the stored Palace directory
// while it exists, so that the dialog shows where the setting points; else the C: drive of the Wine
// prefix, where a Windows client is installed; else home.
class PathDialogStart {
public:
    // winePrefix: the prefix Wine uses when told nothing else.
    PathDialogStart(SettingsStore& settings, QString winePrefix, QString home);

    QString directory();

private:
    SettingsStore& settings_;
    QString winePrefix_;
    QString home_;
};
