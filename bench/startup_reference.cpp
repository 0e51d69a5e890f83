// The reference for start-up: the smallest Qt Widgets program with a window, a menu bar and a list of
// the "*.prp" names of its own directory, filled the plain way.
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Reference"));
    window.menuBar()->addMenu(QStringLiteral("&File"));
    auto* list = new QListWidget(&window);
    list->addItems(
        QDir(QCoreApplication::applicationDirPath()).entryList({QStringLiteral("*.prp")}, QDir::Files));
    window.setCentralWidget(list);
    window.show();
    return QApplication::exec();
}
