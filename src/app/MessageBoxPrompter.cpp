#include "app/MessageBoxPrompter.h"

#include "app/MessageBoxLook.h"

#include <QFontMetricsF>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <algorithm>
#include <cmath>

namespace {

// Wider lines than this are wrapped by the box; narrower ones are kept whole.
constexpr int widestUnwrappedLine = 640;

// The box wraps anything wider than about 500 pixels. Keeping a line whole where it reasonably fits
// lets a line that is indented with spaces stay lined up under the one above it.
void keepLinesWhole(QMessageBox& box) {
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (label == nullptr)
        return;
    // Whole pixels would round a fractional width down and wrap the line's last word.
    const QFontMetricsF metrics(label->font());
    qreal widest = 0;
    for (const QString& line : label->text().split(QChar(10)))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    label->setMinimumWidth(std::min(static_cast<int>(std::ceil(widest)), widestUnwrappedLine));
}

} // namespace

std::unique_ptr<QMessageBox> MessageBoxPrompter::buildMessageBox(const QString& text, int style,
                                                                 const QString& title) {
    const MessageBoxLook look = messageBoxLook(style);
    auto box = std::make_unique<QMessageBox>();
    box->setWindowTitle(title);
    // Plain text always: a file name in the text must never be read as markup, and leading spaces must show.
    box->setTextFormat(Qt::PlainText);
    box->setText(displayText(text));
    box->setIcon(look.icon);
    box->setStandardButtons(look.buttons);
    box->setDefaultButton(look.defaultButton);
    box->setEscapeButton(look.escapeButton);
    keepLinesWhole(*box);
    return box;
}

std::unique_ptr<QInputDialog> MessageBoxPrompter::buildInputBox(const QString& prompt, const QString& title,
                                                                const QString& defaultText) {
    auto box = std::make_unique<QInputDialog>();
    box->setWindowTitle(title);
    box->setInputMode(QInputDialog::TextInput);
    box->setLabelText(displayText(prompt));
    // The dialog makes its label on the first setLabelText.
    if (auto* label = box->findChild<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    box->setTextValue(defaultText);
    return box;
}

int MessageBoxPrompter::showMessage(const QString& text, int style, const QString& title) {
    const std::unique_ptr<QMessageBox> box = buildMessageBox(text, style, title);
    box->exec();
    return answerCode(box->standardButton(box->clickedButton()));
}

QString MessageBoxPrompter::askText(const QString& prompt, const QString& title, const QString& defaultText) {
    const std::unique_ptr<QInputDialog> box = buildInputBox(prompt, title, defaultText);
    if (box->exec() != QDialog::Accepted)
        return {};
    return box->textValue();
}
