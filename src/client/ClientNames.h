#pragma once

#include <QByteArrayView>
#include <QString>

// How the running client is recognised. The native client's window class is "Palace"; under Wine the
// window class and the process both carry the executable's name, "palace32.exe". Window class names
// and program names are compared without regard to case, as Windows does.
namespace ClientNames {

inline constexpr char nativeWindowClass[] = "Palace";
inline constexpr char programName[] = "palace32.exe";

// Where the client program is: palace32.exe in the stored directory, with or without its trailing separator.
QString programIn(const QString& palaceDirectory);

// instance and windowClass are the two halves of a window's WM_CLASS. The half that names the client,
// the class first; empty when neither does.
QByteArrayView clientWindowClass(QByteArrayView instance, QByteArrayView windowClass);

// comm is the kernel's name of the process; commandWord the first word of its command line. The name by
// which the process is the client: its comm, else its command word's program name; empty when neither is.
QByteArrayView clientProgramName(QByteArrayView comm, QByteArrayView commandWord);

// The part of a command word after its last "/" or "\": Wine processes show a Windows path.
QByteArrayView programNameOf(QByteArrayView commandWord);

} // namespace ClientNames
