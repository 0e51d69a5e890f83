#pragma once

// The windows are a module of their own beside the executable, which main() loads only when no command is
// given: a command then starts with Qt Core alone, without the fifty libraries that Qt Widgets and Gui bind
// before anything runs. The entry builds the real units, shows the main window and runs it to the end.
extern "C" int stowbox_windows_main(int argc, char* argv[]);

inline constexpr char windowsModuleEntry[] = "stowbox_windows_main";
