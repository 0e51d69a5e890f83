#pragma once

#include "app/mainwindow/BagList.h"
#include "app/mainwindow/Form1.h"
#include "support/FakePrompter.h"
#include "support/Form2Probe.h"

#include <QString>
#include <QStringList>

// The tests' view into the main window: its state, controls and handlers under their own names, which the
// window keeps to itself, and what only a test asks of its list.
class Form1Probe {
public:
    Form1Probe(Form1& window) // NOLINT: stands in for the window wherever a test names one
        : form(window), Selfile(window.Selfile.displayed()), Selpath(window.Selpath), Apath(window.Apath),
          DSR(window.DSR), File1(window.File1), Command1(window.Command1), Command2(window.Command2),
          Command3(window.Command3), Frame1(window.Frame1), Picture1(window.Picture1), Label1(window.Label1),
          Picture2(window.Picture2), menFile(window.menFile), menOptions(window.menOptions),
          menAbout(window.menAbout), menDelete(window.menDelete), menRename(window.menRename),
          menExit(window.menExit), menPpal(window.menPpal), menDSR(window.menDSR), menuStx(window.menuStx) {}

    Form1& form;
    const QString& Selfile; // as the list shows it; follows each new selection
    QString& Selpath;
    QString& Apath;
    qint16& DSR;
    BagList* const File1;
    QPushButton* const Command1;
    QPushButton* const Command2;
    QPushButton* const Command3;
    QFrame* const Frame1;
    QLabel* const Picture1;
    QLabel* const Label1;
    QLabel* const Picture2;
    QMenu* const menFile;
    QMenu* const menOptions;
    QMenu* const menAbout;
    QAction* const menDelete;
    QAction* const menRename;
    QAction* const menExit;
    QAction* const menPpal;
    QAction* const menDSR;
    QAction* const menuStx;

    // The bag list's entries as it shows them, in order.
    QStringList bagNames() const;
    // Puts the bag list's cursor on the entry shown with this name, as the arrow keys would; false when
    // no entry shows it.
    bool selectBag(const QString& name) const;
    // True once every listed bag has been held against the live file.
    bool marksWorkedOut() const { return !File1->marker_.isActive(); }

    void Form_Click() const { form.Form_Click(); }
    void Delfile(QString& Delbox) const { form.Delfile(Delbox); }
    void RenFile(QString& rfile) const { form.RenFile(rfile); }
    // The path dialog, once it has been opened; nullptr before.
    Form2* pathDialog() const { return form.form2_.get(); }
    Form2Probe dialog() const { return *form.form2_; }
};

// The availability of the controls that the bag operations change, as one line:
// "load:on save:on list:on delete:off rename:off".
QString controlStates(const Form1Probe& form);

// True when the window changes just outside the control on three of its sides, at least, as the control
// takes the keyboard focus from `elsewhere` in the active window.
bool focusShowsAround(QWidget& control, QWidget& elsewhere);
