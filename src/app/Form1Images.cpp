#include "app/Form1Images.h"

// The images live in a static library, whose resources are only linked in when asked for by name.
// Outside any namespace: the macro declares the generated function where it stands.
static void registerImages() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(stowbox_images);
        return true;
    }();
    Q_UNUSED(registered);
}

static QPixmap image(const char* name) {
    registerImages();
    return QPixmap(QStringLiteral(":/images/") + QLatin1String(name));
}

QIcon Form1Images::hammer() {
    return QIcon(image("hammer.xpm"));
}
QPixmap Form1Images::safetyOn() {
    return image("safety-on.xpm");
}
QPixmap Form1Images::safetyOff() {
    return image("safety-off.xpm");
}
