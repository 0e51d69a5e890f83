#include "app/mainwindow/BagList.h"
#include "support/Form1Harness.h"

#include <QAction>
#include <QDir>
#include <QPushButton>
#include <QtTest>
#include <sys/stat.h>

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartWithNothingStored() {
        Form1Harness h;
        writeFile(h.bagPath("b.prp"), "b");
        writeFile(h.bagPath("a.prp"), "a");
        writeFile(h.bagPath("notes.txt"), "n");
        Form1Probe f = h.start();

        QCOMPARE(f.Selpath, QString());
        QCOMPARE(f.Apath, h.programDir.path());
        QCOMPARE(f.Selfile, QString());
        QCOMPARE(f.DSR, qint16(0));
        QCOMPARE(f.bagNames(), QStringList({"a.prp", "b.prp"}));
        QVERIFY(!f.Command1->isEnabled());
        QVERIFY(f.Command2->isEnabled());
        QVERIFY(f.Command3->isEnabled());
        QVERIFY(!f.menDelete->isEnabled());
        QVERIFY(!f.menRename->isEnabled());
        QVERIFY(h.prompter.requests.isEmpty());
    }

    void readsTheStoredDirectory_data() {
        QTest::addColumn<bool>("pipe"); // in the settings file's place, with no writer
        QTest::newRow("stored") << false;
        QTest::newRow("a pipe as the settings file: goes on quietly") << true;
    }
    void readsTheStoredDirectory() {
        QFETCH(bool, pipe);
        Form1Harness h;
        h.storePalaceDirectory();
        const QString file = IniFileSettingsStore::fileOf(QStringLiteral("Stowbox"));
        if (pipe)
            QVERIFY(QFile::remove(file) && mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
        h.start();
        QCOMPARE(h.probe().Selpath, pipe ? QString() : h.palaceDirectory());
        QVERIFY(h.prompter.requests.isEmpty());
    }

    void listsTheProgramDirectoryWhateverTheCurrentDirectory() {
        Form1Harness h;
        writeFile(h.bagPath("mine.prp"), "m");
        writeFile(h.palaceDir.filePath("other.prp"), "o");
        const QString before = QDir::currentPath();
        QDir::setCurrent(h.palaceDir.path());
        Form1Probe f = h.start();
        QDir::setCurrent(before);
        QCOMPARE(f.bagNames(), QStringList({"mine.prp"}));
    }

    void closeEndsTheProgramWritingNothing() {
        Form1Harness h;
        Form1Probe f = h.start();
        f.menExit->trigger();
        QCOMPARE(h.endProgramCalls, 1);
        QCOMPARE(QDir(h.programDir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
