#include "app/Form1.h"
#include "app/Form1Texts.h"

#include <QAction>
#include <QLabel>

// One lamp is hidden before the other is shown, so the two are never lit together.
void Form1::menDSR_Click() {
    if (DSR != 0) {
        menDSR->setChecked(false);
        DSR = 0;
        Picture2->hide();
        Picture1->show();
        Label1->setText(Form1Texts::safetyOn);
    } else {
        menDSR->setChecked(true);
        DSR = 1;
        Picture1->hide();
        Picture2->show();
        Label1->setText(Form1Texts::safetyOff);
    }
}
