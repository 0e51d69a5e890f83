#pragma once

#include "app/Prompter.h"

// The real prompts: modal message and input boxes.
class MessageBoxPrompter : public Prompter {
public:
    int showMessage(const QString& text, int style, const QString& title) override;
    QString askText(const QString& prompt, const QString& title, const QString& defaultText) override;
};
