#pragma once

#include <QString>

namespace ProgramIdentity {
inline const QString name = QStringLiteral("Stowbox");
inline const QString version = QStringLiteral("1.00.0002");
inline const QString productName = QStringLiteral("Stowbox v1.02");
} // namespace ProgramIdentity
