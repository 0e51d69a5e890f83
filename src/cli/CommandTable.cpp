#include "cli/CommandTable.h"

#include "cli/CommandLine.h"

#include <algorithm>
#include <numeric>

namespace CommandTable {

namespace {
constexpr int nearEnough = 2; // edits between a mistyped command and the one meant

const QByteArray usageLine = "Usage: stowbox [options] COMMAND [ARGUMENTS]\n";
const QByteArray opening =
    "Without a command, the window opens. With one, Stowbox does it and ends, asking nothing.\n";
const QByteArray closing =
    "Bags are kept beside the program. Whatever is replaced or deleted goes to the trash.\n"
    "Exit status: 0 done, 1 failed, 2 wrong usage, 3 the Palace client is running.\n";

// Letters inserted, deleted, replaced or swapped with their neighbour, as typing goes wrong.
int editsBetween(const QByteArray& a, const QByteArray& b) {
    QList<QList<int>> d(a.size() + 1, QList<int>(b.size() + 1));
    for (qsizetype i = 0; i <= a.size(); ++i)
        d[i][0] = int(i);
    std::iota(d[0].begin(), d[0].end(), 0);
    for (qsizetype i = 1; i <= a.size(); ++i)
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int replace = d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, replace});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

QByteArray spelled(const KnownOption& known) {
    QByteArray names = known.shortName ? QByteArray("-") + known.shortName + ", " : QByteArray("    ");
    names += QByteArray("--") + known.longName;
    return known.value ? names + ' ' + known.value : names;
}

QByteArray padded(QByteArray text, qsizetype width) {
    return text.size() < width ? text + QByteArray(width - text.size(), ' ') : text + ' ';
}

QByteArray optionLines(unsigned wanted) {
    QByteArray lines;
    for (const KnownOption& known : options())
        if (known.option & wanted)
            lines += "  " + padded(spelled(known), 22) + known.help + '\n';
    return lines;
}
} // namespace

const QList<KnownOption>& options() {
    static const QList<KnownOption> all = {
        {Help, 'h', "help", nullptr, "shows this help, or the help of the command given, and does nothing"},
        {Version, 0, "version", nullptr, "prints the program's name and version; goes alone"},
        {Null, '0', "null", nullptr, "ends each line with a NUL instead of a newline"},
        {Long, 'l', "long", nullptr, "prints * for a loaded bag, else -, the size, the time and the name"},
        {Permanent, 0, "permanent", nullptr, "where no trash can take a file, destroys it for good"},
        {As, 0, "as", "NEW", "puts the version back as the bag NEW.prp instead"},
    };
    return all;
}

const QList<Command>& commands() {
    static const QList<Command> all = {
        {"list", "", 0, 0, Null | Long, "prints the bags, one a line, in the window's order",
         &CommandLine::list},
        {"save", "NAME", 1, 1, Permanent, "copies the client's palace.prp into the bag NAME.prp",
         &CommandLine::save},
        {"load", "NAME", 1, 1, Permanent, "puts the bag NAME (with or without .prp) in place of palace.prp",
         &CommandLine::load},
        {"delete", "NAME", 1, 1, Permanent, "deletes the bag NAME (with or without .prp)",
         &CommandLine::remove},
        {"rename", "OLD NEW", 2, 2, Permanent, "renames the bag OLD (with or without .prp) to NEW.prp",
         &CommandLine::rename},
        {"start", "", 0, 0, 0, "starts the Palace client, natively or under Wine", &CommandLine::start},
        {"path", "", 0, 0, 0, "prints the stored Palace directory", &CommandLine::path},
        {"set-path", "DIR", 1, 1, 0, "stores DIR as the Palace directory", &CommandLine::setPath},
        {"current", "", 0, 0, Null, "prints the bags that hold the props now in palace.prp",
         &CommandLine::current},
        {"history", "[NAME]", 0, 1, 0,
         "lists the versions of the bag NAME, or of palace.prp, kept in the trash, newest first",
         &CommandLine::history},
        {"restore", "[NAME] N", 1, 2, Permanent | As,
         "puts version N of the bag NAME, or of palace.prp, back in its place", &CommandLine::restore},
        {"help", "[COMMAND]", 0, 1, 0, "shows this help, or the help of COMMAND", &CommandLine::help},
    };
    return all;
}

const Command* find(const QByteArray& name) {
    const auto found = std::find_if(commands().begin(), commands().end(),
                                    [&](const Command& command) { return name == command.name; });
    return found == commands().end() ? nullptr : &*found;
}

const Command* nearest(const QByteArray& name) {
    const Command* best = nullptr;
    int fewest = nearEnough + 1;
    for (const Command& command : commands())
        if (const int edits = editsBetween(name, command.name); edits < fewest) {
            fewest = edits;
            best = &command;
        }
    return best;
}

QByteArray synopsis(const Command& command) {
    QByteArray line = command.name;
    for (const KnownOption& known : options())
        if (known.option & command.options)
            line += known.value       ? QByteArray(" [--") + known.longName + ' ' + known.value + ']'
                    : known.shortName ? QByteArray(" [-") + known.shortName + ']'
                                      : QByteArray(" [--") + known.longName + ']';
    return *command.operands ? line + ' ' + command.operands : line;
}

QByteArray generalHelp() {
    QByteArray text = usageLine + '\n' + opening + '\n';
    for (const Command& command : commands()) {
        const QByteArray usage =
            *command.operands ? QByteArray(command.name) + ' ' + command.operands : QByteArray(command.name);
        text += "  " + padded(usage, 18) + command.help + '\n';
    }
    return text + "\nOptions:\n" + optionLines(Help | Version | Permanent) + '\n' + closing;
}

QByteArray helpOf(const Command& command) {
    QByteArray description = command.help;
    description[0] = char(QChar::toUpper(uchar(description[0])));
    QByteArray text = "Usage: stowbox " + synopsis(command) + '\n' + description + ".\n";
    if (command.options)
        text += "\nOptions:\n" + optionLines(command.options);
    return text;
}

} // namespace CommandTable
