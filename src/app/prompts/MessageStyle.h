#pragma once

// Style codes: the sum of a button set, an icon and a default button.
namespace MessageStyle {
inline constexpr int Notice = 0;            // OK, no icon
inline constexpr int Critical = 16;         // OK, critical icon
inline constexpr int CriticalOkCancel = 17; // OK and Cancel, critical icon
inline constexpr int QuestionYesNo = 36;    // Yes and No, question icon, Yes the default
inline constexpr int PlainYesNoNo = 260;    // Yes and No, no icon, No the default
inline constexpr int QuestionYesNoNo = 292; // Yes and No, question icon, No the default
inline constexpr int WarningYesNoNo = 308;  // Yes and No, exclamation icon, No the default
} // namespace MessageStyle
