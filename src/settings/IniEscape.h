#pragma once

#include "platform/StepResult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Keys and values in Qt's INI dialect, escaped and unescaped by the rules of QSettings (Qt 6), so that
// what this program writes any Qt program reads, and the other way round.
namespace IniEscape {

// A section or key name: "/" as "\", characters other than letters, digits, "_", "-" and "." as %XX or
// %UXXXX; and back. Keys are compared after unescaping, so Path%6bey names the key Pathkey.
QByteArray escapedKey(const QString& key);
QString unescapedKey(QByteArrayView key);

// A string value: C-style escapes, quotes where the value needs them, UTF-8.
QByteArray escapedValue(const QString& value);
// The string QSettings reads from a value as written in the file, "@Variant(...)" and "@DateTime(...)"
// holding a string too. "@Invalid()" reads as empty; a list (a comma outside quotes) and Qt's notation for a
// value of any other type ("@Rect(...)", a "@Variant(...)" holding a number...) fail: they are no text.
StepValue<QString> unescapedValue(QByteArrayView value);

} // namespace IniEscape
