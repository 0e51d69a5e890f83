#include "app/Form1.h"
#include "settings/Form2.h"

void Form1::menPpal_Click() {
    Selpath.clear();
    if (!form2_)
        form2_ = std::make_unique<Form2>(units_.dialog);
    form2_->showDialog();
}
