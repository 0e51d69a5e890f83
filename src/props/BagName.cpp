#include "props/BagName.h"

#include "props/BagPaths.h"

#include <QFile>

BagName::BagName(const QByteArray& bytes) : bytes_(bytes), shown_(QFile::decodeName(bytes)) {}

BagName BagName::typed(const QString& name) {
    return BagName(QFile::encodeName(name + BagPaths::bagExtension));
}

BagName BagName::typed(const QByteArray& name) {
    return BagName(name + QFile::encodeName(BagPaths::bagExtension));
}

BagName BagName::given(const QByteArray& name) {
    return name.endsWith(QFile::encodeName(BagPaths::bagExtension)) ? BagName(name) : typed(name);
}
