#pragma once

#include <QByteArray>

// Names of our own temporary files: hidden, and never matching "*.prp", so that a half-written copy
// can never show up as a bag.
namespace TemporaryName {
QByteArray make(); // ".stowbox-" + six random letters or digits + ".tmp"
bool isOurs(const QByteArray& name);
} // namespace TemporaryName
