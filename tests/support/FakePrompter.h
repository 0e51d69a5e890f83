#pragma once

#include "app/Prompter.h"

#include <QList>
#include <QString>
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
