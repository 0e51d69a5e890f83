#include "app/prompts/MessageBoxPrompter.h"

#include "app/prompts/MessageBoxLook.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontMetricsF>
#include <QInputDialog>
#include <QLabel>
#include <QLayout>
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

// The window manager writes the title in its own font, often bold, beside the frame's icon and buttons,
// and cuts short what does not fit ("Run P… ation"). Qt's own allowance is too small for that. Without a
// way to ask the window manager, take the toolkit's title font in bold, and for the icon and the buttons
// four squares of a generous title bar's height.
void makeRoomForTitle(QMessageBox& box) {
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const QFontMetricsF metrics(font);
    const qreal decoration = 4 * 2 * metrics.height();
    const int width = static_cast<int>(std::ceil(metrics.horizontalAdvance(box.windowTitle()) + decoration));
    // The box sizes itself to its layout, so the widest row asks for the room: the buttons' row.
    const QMargins margins = box.layout()->contentsMargins();
    box.findChild<QDialogButtonBox*>()->setMinimumWidth(width - margins.left() - margins.right());
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
    makeRoomForTitle(*box);
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

// The window that asked is the active one, since the user has just acted in it. Right after a box is
// answered no window is active until the window manager hands the focus back: a second question of the
// same step goes over the window the first one stood over. The box stays modal for the whole program,
// as exec() makes it whatever its parent.
void MessageBoxPrompter::overAskingWindow(QDialog& box) {
    if (QWidget* active = QApplication::activeWindow())
        asking_ = active;
    box.setParent(asking_, box.windowFlags());
}

int MessageBoxPrompter::showMessage(const QString& text, int style, const QString& title) {
    const std::unique_ptr<QMessageBox> box = buildMessageBox(text, style, title);
    overAskingWindow(*box);
    box->exec();
    return answerCode(box->standardButton(box->clickedButton()));
}

QString MessageBoxPrompter::askText(const QString& prompt, const QString& title, const QString& defaultText) {
    const std::unique_ptr<QInputDialog> box = buildInputBox(prompt, title, defaultText);
    overAskingWindow(*box);
    if (box->exec() != QDialog::Accepted)
        return {};
    return box->textValue();
}
