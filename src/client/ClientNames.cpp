#include "client/ClientNames.h"

#include "platform/files/FilePlace.h"
#include "platform/files/PathText.h"

#include <QFile>
#include <QLatin1StringView>

namespace ClientNames {

namespace {

bool sameName(QByteArrayView name, const char* expected) {
    // Latin-1 folding never maps a byte of a UTF-8 sequence onto an ASCII letter, so raw names are safe here.
    return QLatin1StringView(name.data(), name.size())
               .compare(QLatin1StringView(expected), Qt::CaseInsensitive) == 0;
}

bool isClientName(QByteArrayView name) {
    return sameName(name, nativeWindowClass) || sameName(name, programName);
}

} // namespace

QString programIn(const QString& palaceDirectory) {
    return PathText::fromBytes(FilePlace::in(PathText::toBytes(palaceDirectory), programName).path());
}

QByteArrayView clientWindowClass(QByteArrayView instance, QByteArrayView windowClass) {
    if (isClientName(windowClass))
        return windowClass;
    return isClientName(instance) ? instance : QByteArrayView();
}

QByteArrayView clientProgramName(QByteArrayView comm, QByteArrayView commandWord) {
    if (sameName(comm, programName))
        return comm;
    const QByteArrayView program = programNameOf(commandWord);
    return sameName(program, programName) ? program : QByteArrayView();
}

QByteArrayView programNameOf(QByteArrayView commandWord) {
    for (qsizetype i = commandWord.size(); i > 0; --i) {
        const char c = commandWord[i - 1];
        if (c == '/' || c == '\\')
            return commandWord.sliced(i);
    }
    return commandWord;
}

} // namespace ClientNames
