#pragma once

#include <QString>

// Every text the command line prints besides the command table's, in one place. The program is called by the
// name it is installed as.
namespace CommandLineTexts {

inline constexpr char programName[] = "stowbox";

// Usage errors.
inline const QString seeHelp = QStringLiteral("; see stowbox --help");
inline const QString noCommand = QStringLiteral("no command given") + seeHelp;
inline const QString versionAlone = QStringLiteral("--version goes alone") + seeHelp;
inline QString unknownOption(const QString& option) {
    return QStringLiteral("unknown option '") + option + QLatin1Char('\'') + seeHelp;
}
inline QString needsValue(const QString& option, const QString& value) {
    return option + QStringLiteral(" needs a value, ") + value + seeHelp;
}
inline QString takesNoValue(const QString& option) {
    return option + QStringLiteral(" takes no value") + seeHelp;
}
inline QString unknownCommand(const QString& command, const QString& meant) {
    return QStringLiteral("unknown command '") + command + QLatin1Char('\'') +
           (meant.isEmpty() ? seeHelp : QStringLiteral("; did you mean '") + meant + QStringLiteral("'?"));
}
inline QString wrongOperands(const QString& command, qsizetype fewest, qsizetype most) {
    const QString count = fewest == most
                              ? QString::number(most)
                              : QString::number(fewest) + QStringLiteral(" or ") + QString::number(most);
    return command + QStringLiteral(": takes ") + count +
           (most == 1 ? QStringLiteral(" argument") : QStringLiteral(" arguments")) + seeHelp;
}
inline QString optionNotFor(const QString& option, const QString& command) {
    return command + QStringLiteral(": ") + option + QStringLiteral(" does not go with this command");
}
inline QString emptyOperand(const QString& command) {
    return command + QStringLiteral(": a name cannot be empty");
}
inline QString notAVersionNumber(const QString& command, const QString& given) {
    return command + QStringLiteral(": '") + given +
           QStringLiteral("' is no version number; 'stowbox history' numbers them from 1");
}

// Refusals and failures, after the command's name and the file's.
inline const QString clientRunning = QStringLiteral(
    "Palace is currently running on your system; close the palace client before a load or save");
inline const QString nothingStored =
    QStringLiteral("no Palace directory is stored; run 'stowbox set-path DIR' first");
inline QString notAbsolute(const QString& stored) {
    return QStringLiteral("the stored Palace directory '") + stored +
           QStringLiteral("' is no full path; run 'stowbox set-path DIR' first");
}
inline const QString notOneFileName = QStringLiteral("the name must be one file name, without a folder");
inline const QString nothingLoaded = QStringLiteral("no bag holds the props now in palace.prp");
inline const QString noSuchVersion = QStringLiteral("no such version in the trash; see 'stowbox history'");
inline QString notTrashable(const QString& reason) {
    return QStringLiteral("no trash can take it (") + reason +
           QStringLiteral("); --permanent deletes it for good");
}
inline QString notDurable(const QString& reason) {
    return QStringLiteral("done, but it may not be safe on disk yet: ") + reason;
}
inline const QString standardOutput = QStringLiteral("standard output");

} // namespace CommandLineTexts
