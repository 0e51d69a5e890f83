#include "cli/CommandRequest.h"

#include "cli/CommandLineTexts.h"

#include <QFile>

using namespace CommandTable;

namespace {

StepResult usage(const QString& problem) {
    return StepResult::failure(StepResult::Kind::Usage, EINVAL, problem);
}

// The option an argument spells, and whether it ends there: "--as=NEW" carries its value.
const KnownOption* optionNamed(const QByteArray& name) {
    for (const KnownOption& known : options())
        if (name == QByteArray("--") + known.longName ||
            (known.shortName && name == QByteArray("-") + known.shortName))
            return &known;
    return nullptr;
}

// Options, taken out of the arguments wherever they stand; what is left are the words.
StepResult takeOptions(const QList<QByteArray>& arguments, CommandRequest& request,
                       QList<QByteArray>& words) {
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray& argument = arguments[i];
        if (optionsEnded || argument == "-" || !argument.startsWith('-')) {
            words.append(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals = argument.startsWith("--") ? argument.indexOf('=') : -1;
        const QByteArray name = equals < 0 ? argument : argument.left(equals);
        QList<const KnownOption*> given;
        if (const KnownOption* known = optionNamed(name))
            given.append(known);
        else if (!argument.startsWith("--")) // short flags together: -0l
            for (const char letter : argument.mid(1))
                given.append(optionNamed(QByteArray("-") + letter));
        if (given.isEmpty() || given.contains(nullptr))
            return usage(CommandLineTexts::unknownOption(QFile::decodeName(name)));
        for (const KnownOption* known : std::as_const(given)) {
            if (known->value && given.size() > 1)
                return usage(CommandLineTexts::unknownOption(QFile::decodeName(name)));
            request.options |= known->option;
            if (!known->value)
                continue;
            if (equals < 0 && i + 1 >= arguments.size())
                return usage(
                    CommandLineTexts::needsValue(QFile::decodeName(name), QLatin1String(known->value)));
            request.as = equals < 0 ? arguments[++i] : argument.mid(equals + 1);
        }
        if (equals >= 0 && !given.first()->value)
            return usage(CommandLineTexts::takesNoValue(QFile::decodeName(name)));
    }
    return {};
}

const Command* commandNamed(const QByteArray& name, StepResult& result) {
    if (const Command* command = find(name))
        return command;
    const Command* meant = nearest(name);
    result = usage(CommandLineTexts::unknownCommand(QFile::decodeName(name),
                                                    meant ? QLatin1String(meant->name) : QString()));
    return nullptr;
}

// Options that do not go with the command, and names that name nothing.
StepResult checked(const CommandRequest& request) {
    const Command& command = *request.command;
    const QString name = QLatin1String(command.name);
    for (const KnownOption& known : options())
        if (request.has(known.option) && !(known.option & (command.options | Help)))
            return usage(
                CommandLineTexts::optionNotFor(QStringLiteral("--") + QLatin1String(known.longName), name));
    const qsizetype count = request.operands.size();
    if (count < command.fewest || count > command.most)
        return usage(CommandLineTexts::wrongOperands(name, command.fewest, command.most));
    for (const QByteArray& operand : request.operands)
        if (operand.isEmpty())
            return usage(CommandLineTexts::emptyOperand(name));
    if (request.has(As) && request.as.isEmpty())
        return usage(CommandLineTexts::emptyOperand(name));
    return {};
}

} // namespace

StepValue<CommandRequest> CommandRequest::parse(const QList<QByteArray>& arguments) {
    StepValue<CommandRequest> parsed;
    CommandRequest& request = parsed.value;
    QList<QByteArray> words;
    if (parsed.result = takeOptions(arguments, request, words); !parsed.result)
        return parsed;
    if (request.has(Version) && (request.options != Version || !words.isEmpty())) {
        if (!request.has(Help))
            parsed.result = usage(CommandLineTexts::versionAlone);
        return parsed;
    }
    if (words.isEmpty()) {
        if (!request.has(Help) && !request.has(Version))
            parsed.result = usage(CommandLineTexts::noCommand);
        return parsed;
    }
    request.command = commandNamed(words.takeFirst(), parsed.result);
    request.operands = words;
    if (!request.command)
        return parsed;
    // With --help, only the command it asks about must be right; its operands do not count.
    if (request.has(Help)) {
        request.operands.clear();
        return parsed;
    }
    parsed.result = checked(request);
    return parsed;
}
