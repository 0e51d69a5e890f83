#include "props/BagName.h"

#include "props/BagPaths.h"

#include <QFile>

BagName::BagName(const QByteArray& bytes) : bytes_(bytes), displayed_(QFile::decodeName(bytes)) {}

BagName BagName::typed(const QString& name) {
    return typed(QFile::encodeName(name));
}

BagName BagName::typed(const QByteArray& name) {
    return BagName(name + BagPaths::bagExtension);
}

BagName BagName::given(const QByteArray& name) {
    return name.endsWith(BagPaths::bagExtension) ? BagName(name) : typed(name);
}
