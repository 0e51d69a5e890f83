#include "app/Form1.h"
#include "app/Form1Texts.h"
#include "app/MessageCodes.h"
#include "app/Prompter.h"

void Form1::menuStx_Click() {
    units_.prompter.showMessage(Form1Texts::aboutText, MessageStyle::Notice, Form1Texts::aboutTitle);
}
