#pragma once

#include "support/FakePrompter.h"

#include <QString>
#include <QStringList>

class Form1;

// Button codes as the user's answers, spelled out here so that a wrong code in the program shows.
namespace Pressed {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace Pressed

// The availability of the controls that the bag operations change, as one line:
// "load:on save:on list:on delete:off rename:off".
QString controlStates(const Form1& form);

// A prompt request as one readable line; carriage returns and line feeds are shown as <CR> and <LF>.
QString describe(const FakePrompter::Request& request);
QStringList describe(const QList<FakePrompter::Request>& requests);

// The lines of expected requests, built the same way.
QString messageRequest(const QString& title, int style, const QString& text);
QString inputRequest(const QString& title, const QString& prompt, const QString& defaultText);
