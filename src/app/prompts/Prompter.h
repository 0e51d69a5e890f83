#pragma once

#include <QString>
#include <QStringList>

// Every question, notice and error the program shows goes through one of these two modal calls,
// so that tests can record each request and answer it from a script.
class Prompter {
public:
    virtual ~Prompter() = default;

    // Returns the button code of the answer (see MessageStyle.h).
    virtual int showMessage(const QString& text, int style, const QString& title) = 0;

    // Returns the text accepted, or the empty string when the box was cancelled.
    virtual QString askText(const QString& prompt, const QString& title, const QString& defaultText) = 0;
};

// Lines of a prompt are joined by a single carriage return, never a line feed.
inline QString joinLines(const QStringList& lines) {
    return lines.join(QChar(13));
}
