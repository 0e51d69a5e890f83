#include "platform/safecopy/TemporaryName.h"

#include <QRandomGenerator>

namespace TemporaryName {

namespace {
constexpr char prefix[] = ".stowbox-";
constexpr char suffix[] = ".tmp";
constexpr qsizetype randomLength = 6;
constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

bool isAlphanumeric(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}
} // namespace

QByteArray make() {
    QByteArray name(prefix);
    for (qsizetype i = 0; i < randomLength; ++i)
        name += alphabet[QRandomGenerator::global()->bounded(int(sizeof alphabet - 1))];
    return name + suffix;
}

bool isOurs(const QByteArray& name) {
    const qsizetype length = qsizetype(sizeof prefix - 1) + randomLength + qsizetype(sizeof suffix - 1);
    if (name.size() != length || !name.startsWith(prefix) || !name.endsWith(suffix))
        return false;
    const QByteArray random = name.mid(sizeof prefix - 1, randomLength);
    return std::all_of(random.begin(), random.end(), isAlphanumeric);
}

} // namespace TemporaryName
