#pragma once

#include "cli/CommandLineUnits.h"
#include "platform/PermanentDelete.h"
#include "platform/StepResult.h"
#include "props/BagFolder.h"

#include <QByteArray>
#include <QList>

// One command from a terminal, a script or a shortcut, done as the window does it and through the same
// units, but asking nothing: giving the command is the consent. The outcome is the exit status; a failure
// is also one line on standard error, naming the command, the file and the reason.
// Names are taken and printed byte for byte, so that a bag whose name is not valid text is still reached.
class CommandLine {
public:
    enum Status { Success = 0, Failed = 1, Usage = 2, ClientRunning = 3 };

    // True when the arguments ask for a command rather than the window: a first argument that is no option
    // (a mistyped command is an error, not a window), or a command or an option of the command line's
    // anywhere. Other options alone are the toolkit's, for the window (-platform offscreen).
    static bool isRequested(int argc, const char* const* argv);

    explicit CommandLine(const CommandLineUnits& units)
        : units_(units), bags_(units_.bags, units_.programDirectory) {}

    // The arguments as the program got them, its own name first.
    int run(const QList<QByteArray>& arguments);

private:
    using Operands = QList<QByteArray>;
    struct Command {
        const char* name;
        qsizetype operands;
        int (CommandLine::*run)(const Operands&);
        bool replaces; // whether --permanent goes with it
    };
    static const QList<Command> commands;

    int list(const Operands&);
    int save(const Operands& name);
    int load(const Operands& name);
    int remove(const Operands& name);
    int rename(const Operands& names);
    int start(const Operands&);
    int path(const Operands&);
    int setPath(const Operands& directory);

    // Each is Success when the command may go on, else the status it ends with, the reason printed.
    int readPalaceDirectory(QString& directory);
    // Save and load: the client must not run, a Palace directory must be stored, the name must do.
    int readyToCopy(const QByteArray& name, QString& palaceDirectory);
    int checkName(const QByteArray& name);

    // Save and load: a source that is not there fails the command, named as the source.
    int found(const StepResult& result, const QByteArray& source);
    int finish(const StepResult& result, const QByteArray& file);

    int usage(const QString& problem);
    int fail(const QByteArray& file, const QString& reason, Status status = Failed);
    int print(const QByteArray& bytes);

    CommandLineUnits units_;
    BagFolder bags_;
    QByteArray command_;
    bool nul_ = false;
    PermanentDelete consent_ = PermanentDelete::NotAgreed;
};
