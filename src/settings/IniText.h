#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The text of a settings file in Qt's INI dialect, handled with QSettings itself so that values are escaped
// and unescaped exactly as every Qt program does. Each call works on a private snapshot of the text, never
// on a file that QSettings has seen before: QSettings caches files per process and would otherwise answer
// from memory after another process changed the file.
namespace IniText {

// The string stored under section/key, or the empty string when there is none.
QString value(const QByteArray& text, const QString& section, const QString& key);

// The text with section/key set to value; nothing when it could not be produced.
std::optional<QByteArray> withValue(const QByteArray& text, const QString& section, const QString& key,
                                    const QString& value);

// True when rewriting the text through QSettings keeps every line of it: valid UTF-8 without control
// characters, and every line blank, a comment, a complete [section] or a key=value with balanced quotes
// and escapes. QSettings silently drops or merges anything else.
bool isSound(const QByteArray& text);

} // namespace IniText
