#include "support/FakePrompter.h"

int FakePrompter::showMessage(const QString& text, int style, const QString& title) {
    requests.append({Request::Message, text, style, title, {}});
    if (whileOpen)
        whileOpen(requests.last());
    if (script_.isEmpty() || script_.first().kind != Request::Message) {
        unexpected.append(title);
        return Pressed::Cancel;
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

namespace {
QString visible(QString text) {
    return text.replace(QChar(13), QStringLiteral("<CR>")).replace(QChar(10), QStringLiteral("<LF>"));
}
} // namespace

QString describe(const FakePrompter::Request& request) {
    if (request.kind == FakePrompter::Request::Input)
        return QStringLiteral("input \"%1\": \"%2\" default \"%3\"")
            .arg(request.title, visible(request.text), request.defaultText);
    return QStringLiteral("message \"%1\" style %2: \"%3\"")
        .arg(request.title)
        .arg(request.style)
        .arg(visible(request.text));
}

QStringList describe(const QList<FakePrompter::Request>& requests) {
    QStringList lines;
    for (const auto& request : requests)
        lines.append(describe(request));
    return lines;
}

QString messageRequest(const QString& title, int style, const QString& text) {
    return describe(FakePrompter::Request{FakePrompter::Request::Message, text, style, title, {}});
}

QString inputRequest(const QString& title, const QString& prompt, const QString& defaultText) {
    return describe(FakePrompter::Request{FakePrompter::Request::Input, prompt, 0, title, defaultText});
}
