#include "app/pathdialog/DirList.h"
#include "app/pathdialog/DriveList.h"
#include "app/pathdialog/Form2.h"
#include "settings/SettingsStore.h"
#include "support/DialogDriver.h"
#include "support/Form1Harness.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

using DialogDriver::navigate;

namespace {

QString storedPath(Form1Harness& h) {
    return h.settings
        .readSetting(PalacePathSetting::application, PalacePathSetting::section, PalacePathSetting::key)
        .value;
}

} // namespace

// The path dialog as the main window opens it, and the two windows' lives together.
class Form2LifecycleTest : public QObject {
    Q_OBJECT

private slots:
    void openingEmptiesTheMainWindowsCopy() {
        Form1Harness h;
        h.storePalaceDirectory();
        Form1Probe f = h.start();
        QCOMPARE(f.Selpath, h.palaceDirectory());
        QCOMPARE(f.pathDialog(), nullptr); // created only when first opened

        f.menPpal->trigger();

        QCOMPARE(f.Selpath, QString());
        QVERIFY(f.pathDialog());
        QVERIFY(f.pathDialog()->isVisible());
        // It shows where the setting points.
        QCOMPARE(f.dialog().Dir1->path(), QDir::toNativeSeparators(h.palaceDir.path()));
        QCOMPARE(storedPath(h), h.palaceDirectory()); // opening stores nothing
    }

    void oneDialogObjectForTheRun() {
        Form1Harness h;
        Form1Probe f = h.start();
        f.menPpal->trigger();
        Form2* first = f.pathDialog();
        QVERIFY(navigate(*Form2Probe(*first).Dir1, h.palaceDir.path()));
        Form2Probe(*first).Command2->click();
        QVERIFY(!first->isVisible());

        f.menPpal->trigger();

        QCOMPARE(f.pathDialog(), first);
        QCOMPARE(Form2Probe(*first).Selpath, QDir::toNativeSeparators(h.palaceDir.path()));
        QCOMPARE(Form2Probe(*first).Text1->text(), QString());
    }

    // Choosing the item again while the dialog is open only brings it to the front.
    void reopeningWhileOpenTouchesNothing_data() {
        QTest::addColumn<bool>("minimized");
        QTest::newRow("behind the main window") << false;
        QTest::newRow("minimized") << true;
    }

    void reopeningWhileOpenTouchesNothing() {
        QFETCH(bool, minimized);
        Form1Harness h;
        Form1Probe f = h.start();
        f.menPpal->trigger();
        Form2* d = f.pathDialog();
        QVERIFY(navigate(*Form2Probe(*d).Dir1, h.palaceDir.path()));
        const QString path = Form2Probe(*d).Dir1->path();
        const QStringList entries = Form2Probe(*d).entryPaths();
        const int drive = Form2Probe(*d).Drive1->currentIndex();
        if (minimized)
            d->setWindowState(Qt::WindowMinimized);
        f.Selpath = QStringLiteral("set by an operation");

        f.menPpal->trigger();

        QCOMPARE(f.Selpath, QString());
        QVERIFY(d->isVisible());
        QVERIFY(!(d->windowState() & Qt::WindowMinimized));
        QCOMPARE(Form2Probe(*d).Dir1->path(), path);
        QCOMPARE(Form2Probe(*d).entryPaths(), entries);
        QCOMPARE(Form2Probe(*d).Text1->text(), path);
        QCOMPARE(Form2Probe(*d).Selpath, path);
        QCOMPARE(Form2Probe(*d).Drive1->currentIndex(), drive);
    }

    void okStoresForTheNextOperation() {
        Form1Harness h;
        Form1Probe f = h.start();
        f.menPpal->trigger();
        QVERIFY(navigate(*f.dialog().Dir1, h.palaceDir.path()));
        f.dialog().Command1->click();

        QVERIFY(!f.pathDialog()->isVisible());
        // The main window learns nothing: its operations read the store afresh, and find the new value.
        QCOMPARE(f.Selpath, QString());
        QCOMPARE(storedPath(h), h.palaceDirectory());
        QCOMPARE(IniFileSettingsStore(h.fileSystem)
                     .readSetting(PalacePathSetting::application, PalacePathSetting::section,
                                  PalacePathSetting::key)
                     .value,
                 h.palaceDirectory());
        QVERIFY(h.prompter.requests.isEmpty());

        // The next client start, with the dialog's window gone and no restart, runs the new directory's
        // client.
        h.prompter.answerMessage(Pressed::Yes);
        f.Command3->click();
        QCOMPARE(f.Selpath, h.palaceDirectory());
        QCOMPARE(h.starter.started, QStringList{h.palaceDir.filePath("palace32.exe")});
    }

    // The dialog opens beside the main window and wholly on its screen: here, with no room on the right
    // and little below, on the left and moved up.
    void opensBesideTheMainWindow() {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        Form1Harness h;
        Form1Probe f = h.start();
        f.form.move(screen.right() - 340, screen.bottom() - 200);
        f.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.form));
        f.menPpal->trigger();
        const QRect main = f.form.frameGeometry();
        const QRect dialog = f.pathDialog()->frameGeometry();
        QVERIFY(screen.contains(dialog) && !dialog.intersects(main));
        QVERIFY(dialog.right() < main.left() && main.left() - dialog.right() <= 16);
    }

    void closeEndsTheProgramStoringNothing() {
        Form1Harness h;
        Form1Probe f = h.start();
        f.form.show();
        f.menPpal->trigger();
        QVERIFY(navigate(*f.dialog().Dir1, h.palaceDir.path()));

        f.menExit->trigger();
        QCOMPARE(h.endProgramCalls, 1);
        QApplication::closeAllWindows(); // what the real end does: every window goes, the dialog too

        QVERIFY(!f.pathDialog()->isVisible());
        QCOMPARE(storedPath(h), QString());
        QVERIFY(!QFile::exists(QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath("Stowbox.conf")));
    }

    // Closing the main window through its frame leaves the dialog open and the program running; the
    // program ends when the dialog closes, after its Ok has stored the choice.
    void mainWindowClosedWhileTheDialogIsOpen() {
        QVERIFY(QGuiApplication::quitOnLastWindowClosed());
        Form1Harness h;
        Form1Probe f = h.start();
        f.form.show();
        f.menPpal->trigger();
        Form2* d = f.pathDialog();
        QVERIFY(QTest::qWaitForWindowExposed(d));

        QStringList events;
        connect(qApp, &QGuiApplication::lastWindowClosed, this, [&] {
            events.append(d->isVisible() ? "last window closed, dialog open" : "last window closed");
        });
        QTimer::singleShot(0, this, [&] {
            f.form.windowHandle()->close();
            events.append(f.form.isVisible() ? "main window still open" : "main window closed");
            QTimer::singleShot(50, this, [&] {
                events.append(d->isVisible() ? "dialog open" : "dialog gone");
                if (navigate(*Form2Probe(*d).Dir1, h.palaceDir.path()))
                    Form2Probe(*d).Command1->click();
            });
        });
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, this, [] { QCoreApplication::exit(2); });
        guard.start(10000);

        const int result = QApplication::exec();

        QCOMPARE(result, 0);
        QCOMPARE(events, QStringList({"main window closed", "dialog open", "last window closed"}));
        QCOMPARE(storedPath(h), h.palaceDirectory());
    }
};

QTEST_MAIN(Form2LifecycleTest)
#include "tst_form2lifecycle.moc"
