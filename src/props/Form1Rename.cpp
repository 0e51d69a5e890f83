#include "app/Form1.h"

// placeholder until this operation is built
void Form1::RenFile(QString&) {}
void Form1::menRename_Click() {}
