#pragma once

#include "app/pathdialog/Form2.h"

#include <QString>
#include <QStringList>

class DirList;
class DriveList;
class QLineEdit;
class QPushButton;

// The tests' view into the path dialog: its state and controls under their own names, which the dialog
// keeps to itself, and what only a test asks of its directory list.
class Form2Probe {
public:
    Form2Probe(Form2& dialog) // NOLINT: stands in for the dialog wherever a test names one
        : form(dialog), Selpath(dialog.Selpath), Dir1(dialog.Dir1), Text1(dialog.Text1),
          Drive1(dialog.Drive1), Command1(dialog.Command1), Command2(dialog.Command2) {}

    Form2& form;
    QString& Selpath;
    DirList* const Dir1;
    QLineEdit* const Text1;
    DriveList* const Drive1;
    QPushButton* const Command1;
    QPushButton* const Command2;

    // The full paths of the directory list's entries in display order, with native separators.
    QStringList entryPaths() const;
};

// The same for any directory list: an entry's path is its parent's joined with the name it shows; the
// root's entry shows its whole path.
QStringList entryPaths(const DirList& list);
