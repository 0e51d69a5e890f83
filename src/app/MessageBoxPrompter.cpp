#include "app/MessageBoxPrompter.h"

#include "app/MessageCodes.h"

// placeholder until the prompt layer is built
int MessageBoxPrompter::showMessage(const QString&, int, const QString&) { return Answer::Cancel; }
QString MessageBoxPrompter::askText(const QString&, const QString&, const QString&) { return {}; }
