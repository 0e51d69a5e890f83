#pragma once

// The windows are a module of their own beside the executable, which main() loads only when no command is
// given: a command then starts with Qt Core alone, without the fifty libraries that Qt Widgets and Gui bind
// before anything runs. The entry builds the real services, shows the main window and runs it to the end.
// programDirectory is where the bags are, as the file system spells it.
extern "C" int stowbox_windows_main(int argc, char* argv[], const char* programDirectory);

inline constexpr char windowsModuleEntry[] = "stowbox_windows_main";
