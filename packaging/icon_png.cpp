// Writes the program's icon, kept beside the sources as XPM, as the PNG that icon themes expect:
// SIZE x SIZE, the image enlarged by the largest whole factor that fits, each pixel a square block,
// and centred on a transparent ground.
// Usage: icon_png SOURCE.xpm SIZE DESTINATION.png
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: icon_png SOURCE SIZE DESTINATION.png\n");
        return 2;
    }
    const QImage icon(QString::fromLocal8Bit(argv[1]));
    if (icon.isNull()) {
        std::fprintf(stderr, "icon_png: cannot read %s\n", argv[1]);
        return 1;
    }
    const int size = std::atoi(argv[2]);
    const int factor = size / std::max(icon.width(), icon.height());
    if (factor < 1) {
        std::fprintf(stderr, "icon_png: %s is smaller than the icon\n", argv[2]);
        return 2;
    }
    const QImage enlarged = icon.scaled(icon.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QImage canvas(size, size, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    QPainter(&canvas).drawImage((size - enlarged.width()) / 2, (size - enlarged.height()) / 2, enlarged);
    if (!canvas.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "icon_png: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
