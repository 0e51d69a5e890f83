#pragma once

// The codes of a message box. Style codes: the sum of a button set, an icon and a default button.
namespace MessageStyle {
inline constexpr int Notice = 0;            // OK, no icon
inline constexpr int Critical = 16;         // OK, critical icon
inline constexpr int CriticalOkCancel = 17; // OK and Cancel, critical icon
inline constexpr int QuestionYesNo = 36;    // Yes and No, question icon, Yes the default
inline constexpr int PlainYesNoNo = 260;    // Yes and No, no icon, No the default
inline constexpr int QuestionYesNoNo = 292; // Yes and No, question icon, No the default
inline constexpr int WarningYesNoNo = 308;  // Yes and No, exclamation icon, No the default
} // namespace MessageStyle

// Answer codes of a message box.
namespace Answer {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace Answer
