#include "app/BagList.h"
#include "support/Form1Harness.h"

#include <QAction>
#include <QDir>
#include <QPushButton>
#include <QtTest>

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
        QCOMPARE(f.File1->names(), QStringList({"a.prp", "b.prp"}));
        QVERIFY(!f.Command1->isEnabled());
        QVERIFY(f.Command2->isEnabled());
        QVERIFY(f.Command3->isEnabled());
        QVERIFY(!f.menDelete->isEnabled());
        QVERIFY(!f.menRename->isEnabled());
        QVERIFY(h.prompter.requests.isEmpty());
    }

    void readsTheStoredDirectory() {
        Form1Harness h;
        h.storePalaceDirectory();
        h.start();
        QCOMPARE(h.probe().Selpath, h.palaceDirectory());
    }

    void listsTheProgramDirectoryWhateverTheCurrentDirectory() {
        Form1Harness h;
        writeFile(h.bagPath("mine.prp"), "m");
        writeFile(h.palaceDir.filePath("other.prp"), "o");
        const QString before = QDir::currentPath();
        QDir::setCurrent(h.palaceDir.path());
        Form1Probe f = h.start();
        QDir::setCurrent(before);
        QCOMPARE(f.File1->names(), QStringList({"mine.prp"}));
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
