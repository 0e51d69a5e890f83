#pragma once

#include "platform/StepResult.h"

#include <QByteArray>
#include <QString>

// The text of a settings file in Qt's INI dialect, read and changed in memory the way QSettings reads it:
// lines, sections, comments and escapes follow its rules (see IniEscape). Nothing here touches a file.
namespace IniText {

// The string stored under section/key, or the empty string when there is none; a value of a type other
// than text fails (see IniEscape::unescapedValue). Where the key appears more than once, the last one
// counts, as it does for QSettings.
StepValue<QString> value(const QByteArray& text, const QString& section, const QString& key);

// The text with section/key set to value, every other line kept byte for byte: the key's last line is
// rewritten, or the key is added under the section's last heading, or the section at the end.
// The text must be sound.
QByteArray withValue(const QByteArray& text, const QString& section, const QString& key,
                     const QString& value);

// True when the text can be changed in place without touching any other line: valid UTF-8 without
// control characters, after a byte order mark if there is one, and every line blank, a comment, a complete
// [section] or a key=value, with balanced quotes and escapes. Anything else is not a settings file that this
// program wrote or that a person edited with care.
bool isSound(const QByteArray& text);

} // namespace IniText
