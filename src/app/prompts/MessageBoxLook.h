#pragma once

#include <QMessageBox>
#include <QString>

// What a message box of a given style code looks like and how it answers.
struct MessageBoxLook {
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButton defaultButton = QMessageBox::Ok;
    // The button that Escape or the window's close box stands for.
    QMessageBox::StandardButton escapeButton = QMessageBox::Ok;
};

// Decodes a style code (button set + icon + default button, see MessageStyle.h).
MessageBoxLook messageBoxLook(int style);

// The answer code (see MessageStyle.h) of the button that closed a box.
int answerCode(QMessageBox::StandardButton button);

// Prompt lines are separated by a bare carriage return; the toolkit breaks lines at line feeds.
QString displayText(const QString& text);
