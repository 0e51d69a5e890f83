#pragma once

#include <QByteArray>
#include <QString>

// A path's bytes as text and back, without loss: valid UTF-8 reads as the text it spells, as the rest of
// Qt reads it, and each byte that is not part of valid UTF-8 stands for itself as one unpaired surrogate,
// U+DC80 to U+DCFF, which no text of its own holds. So a directory whose name is not UTF-8 can be stored,
// shown and reached again byte for byte.
namespace PathText {

QString fromBytes(const QByteArray& bytes);
QByteArray toBytes(const QString& text);
// True when the text holds a byte that is no UTF-8.
bool holdsRawBytes(const QString& text);

} // namespace PathText
