#pragma once

#include "app/prompts/Prompter.h"

#include <QPointer>
#include <QWidget>
#include <memory>

class QDialog;
class QInputDialog;
class QMessageBox;

// The real prompts: modal message and input boxes.
class MessageBoxPrompter : public Prompter {
public:
    int showMessage(const QString& text, int style, const QString& title) override;
    QString askText(const QString& prompt, const QString& title, const QString& defaultText) override;

    // The boxes as they are shown, built without running them.
    static std::unique_ptr<QMessageBox> buildMessageBox(const QString& text, int style, const QString& title);
    static std::unique_ptr<QInputDialog> buildInputBox(const QString& prompt, const QString& title,
                                                       const QString& defaultText);

private:
    // Puts the box over the window that asked, centred by the toolkit.
    void overAskingWindow(QDialog& box);

    QPointer<QWidget> asking_; // the window the last box stood over
};
