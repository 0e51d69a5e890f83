#pragma once

#include "app/prompts/Prompter.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// Records every prompt and answers from a script, in order. A prompt with no scripted answer
// is a test failure: it is recorded and answered with Cancel (or an empty text).
class FakePrompter : public Prompter {
public:
    struct Request {
        enum Kind { Message, Input } kind;
        QString text;  // message text or input prompt
        int style = 0; // messages only
        QString title;
        QString defaultText; // inputs only
    };

    // Queue answers: a button code for a message, a text for an input.
    void answerMessage(int code) { script_.append({Request::Message, code, {}}); }
    void answerText(const QString& text) { script_.append({Request::Input, 0, text}); }

    int showMessage(const QString& text, int style, const QString& title) override;
    QString askText(const QString& prompt, const QString& title, const QString& defaultText) override;

    QList<Request> requests;
    // Runs at every request before it is answered, so that a test can look at the window behind the prompt.
    std::function<void(const Request&)> whileOpen;
    QStringList unexpected; // prompts that found no or the wrong kind of scripted answer
    int unusedAnswers() const { return static_cast<int>(script_.size()); }
    void clear() {
        requests.clear();
        unexpected.clear();
        script_.clear();
    }

private:
    struct Scripted {
        Request::Kind kind;
        int code;
        QString text;
    };
    QList<Scripted> script_;
};

// Button codes as the user's answers, spelled out here so that a wrong code in the program shows.
namespace Pressed {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace Pressed

// The one way tests check prompts: each request as one readable line, carriage returns and line feeds
// shown as <CR> and <LF>, compared with the lines of the expected requests, built the same way.
QString describe(const FakePrompter::Request& request);
QStringList describe(const QList<FakePrompter::Request>& requests);
QString messageRequest(const QString& title, int style, const QString& text);
QString inputRequest(const QString& title, const QString& prompt, const QString& defaultText);
