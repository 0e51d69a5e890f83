#pragma once

#include "cli/CommandTable.h"
#include "platform/StepResult.h"

#include <QByteArray>
#include <QList>

// One command line as given: the command, its operands and the options set, or, when it cannot be one,
// a Usage failure in the program's own words. Arguments are bytes, taken as given.
struct CommandRequest {
    const CommandTable::Command* command = nullptr; // none for --help or --version alone
    QList<QByteArray> operands;
    unsigned options = 0;
    QByteArray as; // the value of --as

    bool has(CommandTable::Option option) const { return options & option; }

    // The arguments after the program's name. "--" ends the options, so that a name may begin with "-".
    static StepValue<CommandRequest> parse(const QList<QByteArray>& arguments);
};
