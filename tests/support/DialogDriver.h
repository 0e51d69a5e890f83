#pragma once

#include <QString>

class DirList;

// Drives the path dialog's directory list as a user would.
namespace DialogDriver {

enum class OpenBy { DoubleClick, Enter };

// Opens the entry for `path`, which the list must be showing. False when it shows no such entry.
bool openEntry(DirList& list, const QString& path, OpenBy how = OpenBy::DoubleClick);
// Single-clicks the entry for `path`. False when the list shows no such entry.
bool clickEntry(DirList& list, const QString& path);
// Opens entries one after another until the list stands at `target`: up the chain, then down.
bool navigate(DirList& list, const QString& target);

} // namespace DialogDriver
