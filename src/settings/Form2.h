#pragma once

#include "settings/Form2Units.h"

#include <QString>
#include <QWidget>

// The path dialog: modeless, without an owner; one object for the whole run.
class Form2 : public QWidget {
    Q_OBJECT

public:
    explicit Form2(Form2Units units, QWidget* parent = nullptr);

    QString Selpath; // the directory last reported by the directory list

private:
    Form2Units units_;
};
