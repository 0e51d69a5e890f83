#include "cli/CommandLine.h"

#include "cli/CommandLineTexts.h"

#include <QByteArrayView>
#include <QCommandLineParser>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace {

// The spellings of the command line's own options; "--" ends the options before a name that begins
// with "-".
bool isOwnOption(QByteArrayView argument) {
    for (const char* own :
         {"-h", "--help", "--help-all", "-v", "--version", "-0", "--null", "--permanent", "--"})
        if (argument == own)
            return true;
    return false;
}

// Latin-1 maps every byte to one character and back, so the parser sees the options as they are and
// the names come back out of it byte for byte, whatever their encoding.
QStringList asParsed(const QList<QByteArray>& arguments) {
    QStringList parsed;
    for (const QByteArray& argument : arguments)
        parsed.append(QString::fromLatin1(argument));
    return parsed;
}

QByteArray asGiven(const QString& parsed) {
    return parsed.toLatin1();
}

bool writeAll(std::FILE* stream, const QByteArray& bytes) {
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) == size_t(bytes.size()) &&
           std::fflush(stream) == 0;
}

} // namespace

const QList<CommandLine::Command> CommandLine::commands = {
    {"list", 0, &CommandLine::list, false},    {"save", 1, &CommandLine::save, true},
    {"load", 1, &CommandLine::load, true},     {"delete", 1, &CommandLine::remove, true},
    {"rename", 2, &CommandLine::rename, true}, {"start", 0, &CommandLine::start, false},
    {"path", 0, &CommandLine::path, false},    {"set-path", 1, &CommandLine::setPath, false},
};

bool CommandLine::isRequested(int argc, const char* const* argv) {
    if (argc < 2)
        return false;
    if (!QByteArrayView(argv[1]).startsWith('-'))
        return true;
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView argument(argv[i]);
        if (isOwnOption(argument) || std::any_of(commands.begin(), commands.end(),
                                                 [&](const Command& c) { return argument == c.name; }))
            return true;
    }
    return false;
}

int CommandLine::run(const QList<QByteArray>& arguments) {
    using namespace CommandLineTexts;
    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption null({QStringLiteral("0"), QStringLiteral("null")}, nullHelp);
    const QCommandLineOption permanent(QStringLiteral("permanent"), permanentHelp);
    parser.addOption(null);
    parser.addOption(permanent);
    parser.addPositionalArgument(commandArgument, commandHelp, QStringLiteral("COMMAND [ARGUMENTS]"));
    if (!parser.parse(asParsed(arguments)))
        return usage(parser.errorText());
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        const QString text = parser.helpText();
        return print(QFile::encodeName(usageLine + text.mid(text.indexOf(QLatin1Char('\n')))));
    }
    if (parser.isSet(version))
        return print(QFile::encodeName(units_.version + QLatin1Char('\n')));

    Operands operands;
    for (const QString& positional : parser.positionalArguments())
        operands.append(asGiven(positional));
    if (operands.isEmpty())
        return usage(noCommand);
    command_ = operands.takeFirst();
    const QString shownCommand = QFile::decodeName(command_);
    for (const Command& command : commands) {
        if (command_ != command.name)
            continue;
        if (operands.size() != command.operands)
            return usage(wrongOperands(shownCommand, command.operands));
        if (parser.isSet(null) && command.run != &CommandLine::list)
            return usage(optionNotFor(QStringLiteral("--null"), shownCommand));
        if (parser.isSet(permanent) && !command.replaces)
            return usage(optionNotFor(QStringLiteral("--permanent"), shownCommand));
        nul_ = parser.isSet(null);
        consent_ = parser.isSet(permanent) ? PermanentDelete::Agreed : PermanentDelete::NotAgreed;
        return (this->*command.run)(operands);
    }
    return usage(unknownCommand(shownCommand));
}

int CommandLine::usage(const QString& problem) {
    const QByteArray line = QByteArray(CommandLineTexts::programName) + ": " + QFile::encodeName(problem);
    writeAll(stderr, line.trimmed() + '\n');
    return Usage;
}

int CommandLine::fail(const QByteArray& file, const QString& reason, Status status) {
    QByteArray line = QByteArray(CommandLineTexts::programName) + ": ";
    if (!command_.isEmpty())
        line += command_ + ": ";
    if (!file.isEmpty())
        line += file + ": ";
    writeAll(stderr, line + QFile::encodeName(reason) + '\n');
    return status;
}

int CommandLine::print(const QByteArray& bytes) {
    if (!writeAll(stdout, bytes))
        return fail(QFile::encodeName(CommandLineTexts::standardOutput),
                    StepResult::fromErrno(errno != 0 ? errno : EIO).reason);
    return Success;
}
