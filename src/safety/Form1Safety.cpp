#include "app/Form1.h"

// placeholder until this operation is built
void Form1::menDSR_Click() {}
