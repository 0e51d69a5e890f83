#pragma once

#include <QString>

// Every text the command line prints, in one place. The program is called by the name it is installed as.
namespace CommandLineTexts {

inline constexpr char programName[] = "stowbox";

inline const QString usageLine = QStringLiteral("Usage: stowbox [options] COMMAND [ARGUMENTS]");
inline const QString description = QStringLiteral(
    "Without a command, the window opens. With one, Stowbox does it and ends, asking nothing:\n"
    "\n"
    "  list              prints the bags, one a line, in the window's order\n"
    "  save NAME         copies the client's palace.prp into the bag NAME.prp\n"
    "  load NAME         puts the bag NAME (with or without .prp) in place of palace.prp\n"
    "  delete NAME       deletes the bag NAME (with or without .prp)\n"
    "  rename OLD NEW    renames the bag OLD (with or without .prp) to NEW.prp\n"
    "  start             starts the Palace client, natively or under Wine\n"
    "  path              prints the stored Palace directory\n"
    "  set-path DIR      stores DIR as the Palace directory\n"
    "\n"
    "Bags are kept beside the program. Whatever is replaced or deleted goes to the trash.\n"
    "Exit status: 0 done, 1 failed, 2 wrong usage, 3 the Palace client is running.");
inline const QString commandArgument = QStringLiteral("command");
inline const QString commandHelp = QStringLiteral("One of the commands above, with its arguments.");
inline const QString nullHelp = QStringLiteral("list: end each name with a NUL instead of a newline.");
inline const QString permanentHelp =
    QStringLiteral("save, load, delete, rename: where no trash can take a file, destroy it for good.");

// Usage errors.
inline const QString noCommand = QStringLiteral("no command given; see stowbox --help");
inline QString unknownCommand(const QString& command) {
    return QStringLiteral("unknown command '") + command + QStringLiteral("'; see stowbox --help");
}
inline QString wrongOperands(const QString& command, qsizetype count) {
    return command + QStringLiteral(": takes ") + QString::number(count) +
           (count == 1 ? QStringLiteral(" argument") : QStringLiteral(" arguments")) +
           QStringLiteral("; see stowbox --help");
}
inline QString optionNotFor(const QString& option, const QString& command) {
    return command + QStringLiteral(": ") + option + QStringLiteral(" does not go with this command");
}

// Refusals and failures, after the command's name and the file's.
inline const QString clientRunning = QStringLiteral(
    "Palace is currently running on your system; close the palace client before a load or save");
inline const QString nothingStored =
    QStringLiteral("no Palace directory is stored; run 'stowbox set-path DIR' first");
inline QString notAPlace(const QString& stored) {
    return QStringLiteral("the stored Palace directory '") + stored +
           QStringLiteral("' is no full path; run 'stowbox set-path DIR' first");
}
inline const QString notOneFileName = QStringLiteral("the name must be one file name, without a folder");
inline QString notTrashable(const QString& reason) {
    return QStringLiteral("no trash can take it (") + reason +
           QStringLiteral("); --permanent deletes it for good");
}
inline const QString notStarted =
    QStringLiteral("could not be started (for a Windows client, wine must be on the PATH)");
inline const QString standardOutput = QStringLiteral("standard output");

} // namespace CommandLineTexts
