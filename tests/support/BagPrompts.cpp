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
const QString renameNoNameError = messageRequest(
    QStringLiteral("Rename Error"), 16, QStringLiteral("You must choose a valid name.\rOperation aborted."));

QString renameError(const QString& from, const QString& to, const QString& reason) {
    return messageRequest(QStringLiteral("Rename Error"), 16,
                          QStringLiteral("Could not rename %1 to %2.\r%3").arg(from, to, reason));
}
