#pragma once

#include "app/Form1Texts.h"
#include "app/Prompter.h"
#include "client/ClientDetector.h"

// Save and load keep away from the live props file while the client may be writing it.
// True when the client runs; the user has then been told why nothing happens.
inline bool refusedWhileClientRuns(ClientDetector& client, Prompter& prompter) {
    if (!client.isPalaceRunning())
        return false;
    prompter.showMessage(Form1Texts::clientRunningText, MessageStyle::Critical,
                         Form1Texts::clientRunningTitle);
    return true;
}
