#include "app/controls/Images.h"

// The images live in a static library, whose resources are only linked in when asked for by name.
// Outside any namespace: the macro declares the generated function where it stands.
static void registerImages() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(images);
        return true;
    }();
    Q_UNUSED(registered);
}

static QString image(const char* name) {
    registerImages();
    return QStringLiteral(":/images/") + QLatin1String(name);
}

QIcon Images::hammer() {
    return QIcon(QPixmap(image("hammer.xpm")));
}
QPixmap Images::safetyOn() {
    return QPixmap(image("safety-on.xpm"));
}
QPixmap Images::safetyOff() {
    return QPixmap(image("safety-off.xpm"));
}
QIcon Images::pathDialog() {
    QIcon icon;
    icon.addFile(image("path-dialog-32.xpm"), QSize(32, 32));
    icon.addFile(image("path-dialog-16.xpm"), QSize(16, 16));
    return icon;
}
