#include "support/BagPrompts.h"

#include "support/FakePrompter.h"

namespace {
const QString namePrompt =
    QStringLiteral("Please enter a name for the prop file\rNOTE: Do not use any file extension");
}

const QString askBagName =
    inputRequest(QStringLiteral("Prop File Name"), namePrompt, QStringLiteral("myprop"));
const QString askNewBagName =
    inputRequest(QStringLiteral("Rename Prop File"), namePrompt, QStringLiteral("myprop"));
const QString palaceFilesError = messageRequest(
    QStringLiteral("ERROR"), 16,
    QStringLiteral("Could not find palace files.\rPlease use Options and Set Path to specify the "
                   "directory where your palace files reside."));
const QString clientRunningRefusal =
    messageRequest(QStringLiteral("Error"), 16,
                   QStringLiteral("Palace is currently running on your system.\rYou may not "
                                  "use STX's Load or Save feature until you close the palace "
                                  "client."));
const QString loadQuestion = messageRequest(
    QStringLiteral("File Load Confirmation"), 36,
    QStringLiteral("This function will load the selected prop file in place of the existing one.\r") +
        QString(28, QLatin1Char(' ')) + QStringLiteral("Would you like to save existing file first?"));
const QString startQuestion =
    messageRequest(QStringLiteral("Run Palace Confirmation"), 260, QStringLiteral("Are you sure?"));
const QString renameNoNameError = messageRequest(
    QStringLiteral("Rename Error"), 16, QStringLiteral("You must choose a valid name.\rOperation aborted."));

QString finalLoadQuestion(const QString& file) {
    return messageRequest(QStringLiteral("Final Load Confirm"), 17,
                          QStringLiteral("File %1 will be loaded now").arg(file));
}

QString loadDone(const QString& file) {
    return messageRequest(QStringLiteral("Load Successful"), 0,
                          QStringLiteral("File %1 has been successfully loaded.").arg(file));
}

QString deleteQuestion(const QString& file) {
    return messageRequest(QStringLiteral("Confirm File Delete"), 292,
                          QStringLiteral("Delete file %1?").arg(file));
}

QString loadFailure(const QString& bag, const QString& liveFile, const QString& reason) {
    return messageRequest(QStringLiteral("Load Error"), 16,
                          QStringLiteral("Could not copy %1 to %2.\r%3").arg(bag, liveFile, reason));
}

QString deleteFailure(const QString& bag, const QString& reason) {
    return messageRequest(QStringLiteral("Delete Error"), 16,
                          QStringLiteral("Could not delete %1.\r%2").arg(bag, reason));
}

QString notDurable(const QString& title, const QString& file, const QString& reason) {
    return messageRequest(title, 16,
                          QStringLiteral("The change to %1 is made, but it may not be safe on disk yet.\r%2")
                              .arg(file, reason));
}

QString permanentDeleteQuestion(const QString& file, const QString& reason) {
    return messageRequest(
        QStringLiteral("Delete Permanently"), 308,
        QStringLiteral("%1 cannot be moved to the trash: %2. Delete it permanently?").arg(file, reason));
}

QString renameError(const QString& from, const QString& to, const QString& reason) {
    return messageRequest(QStringLiteral("Rename Error"), 16,
                          QStringLiteral("Could not rename %1 to %2.\r%3").arg(from, to, reason));
}
