#pragma once

#include "cli/CommandLineServices.h"
#include "cli/CommandRequest.h"
#include "platform/StepResult.h"
#include "platform/files/FilePlace.h"
#include "platform/safecopy/FileSteps.h"

#include <QByteArray>
#include <QList>
#include <QString>

// One command from a terminal, a script or a shortcut, done as the window does it and through the same
// services, but asking nothing: giving the command is the consent. Each command ends in a result, whose
// kind alone chooses the exit status; a failure is also one line on standard error, naming the command, the
// file at fault and the reason. Names are taken and printed byte for byte, so that a bag whose name is not
// valid text is still reached.
class CommandLine {
public:
    enum Status { Success = 0, Failed = 1, Usage = 2, ClientRunning = 3 };

    explicit CommandLine(const CommandLineServices& services) : services_(services) {}

    // The arguments after the program's name; there is at least one.
    int run(const QList<QByteArray>& arguments);

    // The commands, which the command table names.
    StepResult list(const CommandRequest& request);
    StepResult save(const CommandRequest& request);
    StepResult load(const CommandRequest& request);
    StepResult remove(const CommandRequest& request);
    StepResult rename(const CommandRequest& request);
    StepResult start(const CommandRequest& request);
    StepResult path(const CommandRequest& request);
    StepResult setPath(const CommandRequest& request);
    StepResult current(const CommandRequest& request);
    StepResult history(const CommandRequest& request);
    StepResult restore(const CommandRequest& request);
    StepResult help(const CommandRequest& request);

private:
    StepValue<QString> palaceDirectory();
    // The live file of the stored directory, which must be a whole path: with nothing stored, or a relative
    // directory, it would be wherever the script happens to run, which its author never looked at.
    StepValue<FilePlace> liveFile();
    // As liveFile, while the client does not run: it may be writing the live file.
    StepValue<FilePlace> liveFileToChange();
    // As liveFileToChange, for a copy to or from the bag named: the name must be one file name.
    StepValue<FilePlace> liveFileToCopy(const QByteArray& bag);
    StepResult print(const QByteArray& bytes);
    // A path as the error line names it: a bag by its name, any other file by its whole path.
    QByteArray named(const QByteArray& path) const;
    int finish(const StepResult& result);

    CommandLineServices services_;
    const CommandTable::Command* command_ = nullptr;
    AskBeforeLoss ask_;
    char lineEnd_ = '\n';
};
