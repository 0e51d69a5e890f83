#include "app/prompts/MessageBoxLook.h"

#include "app/prompts/MessageStyle.h"

namespace {

constexpr int buttonSetMask = 0x0F;
constexpr int iconMask = 0xF0;
constexpr int defaultMask = 0xF00;

constexpr int okCancelButtons = 1;
constexpr int yesNoButtons = 4;
constexpr int criticalIcon = 16;
constexpr int questionIcon = 32;
constexpr int exclamationIcon = 48;
constexpr int secondButtonDefault = 256;

} // namespace

MessageBoxLook messageBoxLook(int style) {
    MessageBoxLook look;
    QMessageBox::StandardButton first = QMessageBox::Ok;
    QMessageBox::StandardButton second = QMessageBox::NoButton;
    switch (style & buttonSetMask) {
    case okCancelButtons:
        second = QMessageBox::Cancel;
        look.escapeButton = QMessageBox::Cancel;
        break;
    case yesNoButtons:
        first = QMessageBox::Yes;
        second = QMessageBox::No;
        look.escapeButton = QMessageBox::No;
        break;
    default:
        break;
    }
    look.buttons = first | second;

    switch (style & iconMask) {
    case criticalIcon:
        look.icon = QMessageBox::Critical;
        break;
    case questionIcon:
        look.icon = QMessageBox::Question;
        break;
    case exclamationIcon:
        look.icon = QMessageBox::Warning;
        break;
    default:
        break;
    }

    const bool secondIsDefault =
        (style & defaultMask) == secondButtonDefault && second != QMessageBox::NoButton;
    look.defaultButton = secondIsDefault ? second : first;
    return look;
}

int answerCode(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        // Whatever else closed the box, it was not a yes.
        return Answer::Cancel;
    }
}

QString displayText(const QString& text) {
    QString shown = text;
    shown.replace(QChar(13), QChar(10));
    return shown;
}
