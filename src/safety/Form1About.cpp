#include "app/Form1.h"

// placeholder until this operation is built
void Form1::menuStx_Click() {}
