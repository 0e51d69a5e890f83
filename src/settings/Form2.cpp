#include "settings/Form2.h"

Form2::Form2(Form2Units units, QWidget* parent) : QWidget(parent), units_(units) {
    setWindowTitle(QStringLiteral("Set Path to Palace"));
}
