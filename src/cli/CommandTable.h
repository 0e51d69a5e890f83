#pragma once

#include "platform/StepResult.h"

#include <QByteArray>
#include <QList>

class CommandLine;
struct CommandRequest;

// Every command and option of the command line, each written once: what the parser accepts, the help
// prints, and the completion and the manual page are checked against.
namespace CommandTable {

enum Option : unsigned {
    Help = 1,       // -h, --help: anywhere, the help of the command given
    Version = 2,    // --version: alone
    Null = 4,       // -0, --null
    Long = 8,       // -l, --long
    Permanent = 16, // --permanent
    As = 32,        // --as NEW
};

struct KnownOption {
    Option option;
    char shortName; // 0 for none
    const char* longName;
    const char* value; // the name of its value, or nullptr for a flag
    const char* help;
};

struct Command {
    const char* name;
    const char* operands; // as the usage line shows them
    qsizetype fewest;
    qsizetype most;
    unsigned options; // those that go with it, besides --help
    const char* help;
    StepResult (CommandLine::*run)(const CommandRequest&);
};

const QList<KnownOption>& options();
const QList<Command>& commands();
const Command* find(const QByteArray& name);
// The command name within two edits of name, if there is one.
const Command* nearest(const QByteArray& name);

QByteArray generalHelp();
QByteArray helpOf(const Command& command);
// "list [-0] [-l]": the command with its operands and options, as a usage line shows it.
QByteArray synopsis(const Command& command);

} // namespace CommandTable
