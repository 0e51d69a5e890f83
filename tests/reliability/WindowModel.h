#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <Qt>

// A reference model of the main window, written from its table of command availability and the
// operations' outcome tables, never from the code: which commands are available after each event,
// what Selfile and the list hold, which prompts appear (and the controls' state while each is
// open), and what the program directory and palace.prp hold afterwards.

struct Availability {
    bool load = false;
    bool save = true;
    bool list = true;
    bool del = false;
    bool ren = false;
    bool operator==(const Availability&) const = default;
};

enum class Action {
    Select,       // click an entry of the list
    Background,   // click the window's own surface
    Save,         // the Save button
    Load,         // the Load button
    MenuDelete,   // File, Delete
    DeleteKey,    // Del pressed and released, maybe with a modifier
    Rename,       // File, Rename
    MenuSafety,   // Options, Disable Safety Requests
    SafetyKey,    // F2
    StartPalace,  // the Start Palace button
    About,        // About, STX
    ClientToggle, // the client starts or stops
    BagAppears,   // another program writes a bag into the program directory
    BagVanishes,  // another program removes a bag
    Restore,      // another running copy of the program puts a version of palace.prp or of a bag back
};

// When the other of two copies restoring one version at once goes for the folder's lock: alongside this
// one, after finishing before this one locks, or only once this one holds the lock.
enum class Rival { Alongside, First, Second };

struct Step {
    Action action = Action::Select;
    QString name;                    // entry clicked, or bag written or removed from outside
    QString typed;                   // answer to a name prompt; empty when cancelled
    bool saveFirst = false;          // Yes to the load's offer to save first
    bool confirm = false;            // Yes / OK to a confirmation
    bool wrongPath = false;          // the stored Palace directory does not exist during this step
    bool startFails = false;         // the client cannot be started
    Qt::KeyboardModifiers modifiers; // held with Del
    bool awayFromList = false;       // Del pressed while another control has the focus
    bool permanent = false;          // Yes when asked whether a file no trash can take may be lost
    bool meddle = false; // another program acts on the file the step replaces or removes, as it does so;
                         // for a restore, a second copy restores the same version at the same moment
    Rival rival = Rival::Alongside;
    int number = 0;     // restore: which version, counted round those kept; 0: one past the last
    QByteArray version; // restore: that version's bytes, as the trashes hold them at the step; null: none
};

struct ExpectedPrompt {
    bool input = false;
    QString line;  // the whole request as describe() shows it; empty for a report named below
    QString title; // a report whose reason is the system's own: its title, style and a text
    int style = 0; // it must contain (the file that failed)
    QString names;
    Availability during; // the controls while the prompt is open
    int answer = 0;      // button code the user gives to a message
    QString typed;       // text the user gives to an input
};

class WindowModel {
public:
    Availability controls;
    bool dsr = false;
    bool clientRunning = false;
    QString selfile;
    QString highlighted;            // the list's selected entry
    QMap<QString, QByteArray> bags; // the program directory: file name -> contents
    QStringList shown;              // the names the list shows
    QByteArray live;                // palace.prp
    int starts = 0;                 // client start requests
    int loads = 0;                  // bags copied onto palace.prp
    bool trashTakes = true;         // some trash can take a file the operations replace or remove
    bool trashCopies = false;       // ... but only by a copy, which a file written to meanwhile refuses
    QString meddledKept; // the file another program wrote to in place during the step, which stays there

    // Applies one user event and returns the prompts it must show, in order.
    QList<ExpectedPrompt> apply(const Step& step);
    void refresh();

private:
    void fsave(const Step& step);
    bool loadCopy(const Step& step);
    bool mayLose(const QString& file, const Step& step);
    bool trashRefuses(const Step& step);
    void message(const QString& line, int answer);
    void report(const QString& title, int style, const QString& names);
    void input(const QString& line, const QString& typed);

    QList<ExpectedPrompt> prompts_;
};
