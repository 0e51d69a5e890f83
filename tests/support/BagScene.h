#pragma once

#include "support/Form1Harness.h"

// The main-window harness as the bag operations' tests write it: staged (Palace::Stored unless told
// otherwise), started shown, and `h` for the harness itself.
class BagScene : public Form1Harness {
public:
    explicit BagScene(Palace palace = Palace::Stored) : Form1Harness(palace) {}
    Form1& start(const QString& selectName = QString()) { return open(selectName); }
    Form1Harness& h = *this;
};
