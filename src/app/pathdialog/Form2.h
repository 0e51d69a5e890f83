#pragma once

#include "app/pathdialog/Form2Services.h"

#include <QString>
#include <QWidget>

class DirList;
class DriveList;
class QLineEdit;
class QPushButton;

// The path dialog: modeless, without an owner; one object for the whole run. Its window is closed and
// shown again, its Selpath lasts. Form2.cpp builds the window, Form2Handlers.cpp holds what it does.
class Form2 : public QWidget {
    Q_OBJECT

public:
    // It opens beside mainWindow, or where the window manager puts it when there is none.
    explicit Form2(Form2Services services, const QWidget* mainWindow = nullptr);

    // Shows the dialog without waiting for it: afresh when it is closed, or brought to the front
    // untouched when it is open.
    void showDialog();

private:
    friend class Form2Probe; // the tests' view of the state and the controls

    // Handlers, in the order a user meets them, and the method that stores.
    void Form_Load();
    void Dir1_Change();
    void Drive1_Change();
    void Command1_Click();
    void Command2_Click();
    bool Spath();

    void placeBesideMainWindow();

    Form2Services services_;
    const QWidget* mainWindow_;

    QString Selpath; // the directory last reported by the directory list, or the value last stored

    // Controls, in tab order.
    DirList* Dir1 = nullptr;
    QLineEdit* Text1 = nullptr;
    DriveList* Drive1 = nullptr;
    QPushButton* Command1 = nullptr; // Ok
    QPushButton* Command2 = nullptr; // Cancel
};
