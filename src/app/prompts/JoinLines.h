#pragma once

#include <QString>
#include <QStringList>

// Lines of a prompt are joined by a single carriage return, never a line feed.
inline QString joinLines(const QStringList& lines) {
    return lines.join(QChar(13));
}
