#include "app/Form1.h"

// placeholder until this operation is built
void Form1::Delfile(QString&) {}
void Form1::menDelete_Click() {}
void Form1::File1_KeyUp(qint16&, qint16) {}
