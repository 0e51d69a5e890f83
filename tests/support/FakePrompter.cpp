#include "support/FakePrompter.h"

#include "app/MessageCodes.h"

int FakePrompter::showMessage(const QString& text, int style, const QString& title) {
    requests.append({Request::Message, text, style, title, {}});
    if (whileOpen)
        whileOpen(requests.last());
    if (script_.isEmpty() || script_.first().kind != Request::Message) {
        unexpected.append(title);
        return Answer::Cancel;
    }
    return script_.takeFirst().code;
}

QString FakePrompter::askText(const QString& prompt, const QString& title, const QString& defaultText) {
    requests.append({Request::Input, prompt, 0, title, defaultText});
    if (whileOpen)
        whileOpen(requests.last());
    if (script_.isEmpty() || script_.first().kind != Request::Input) {
        unexpected.append(title);
        return {};
    }
    return script_.takeFirst().text;
}
