#include "app/Form1.h"

// placeholder until this operation is built
void Form1::Command2_Click() {}
void Form1::Fsave(QString&) {}
