#include "support/BagPrompts.h"
#include "support/Form1Harness.h"

#include <QDir>
#include <QPushButton>
#include <QtTest>

class StartPalaceTest : public QObject {
    Q_OBJECT

private slots:
    void confirmation_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("starts");
        QTest::newRow("Yes") << 6 << true;
        QTest::newRow("No") << 7 << false;
        QTest::newRow("closed") << 2 << false;
    }
    void confirmation() {
        QFETCH(int, answer);
        QFETCH(bool, starts);
        Form1Harness h;
        h.storePalaceDirectory();
        Form1Probe f = h.start();
        h.prompter.answerMessage(answer);

        QTest::mouseClick(f.Command3, Qt::LeftButton);

        QCOMPARE(describe(h.prompter.requests), QStringList{startQuestion});
        QCOMPARE(h.starter.started,
                 starts ? QStringList{h.palaceDirectory() + QStringLiteral("palace32.exe")} : QStringList{});
        if (starts)
            QCOMPARE(h.starter.lastWindowStyle, 1);
        QVERIFY(h.prompter.unexpected.isEmpty());
    }

    void safetyOffStartsAtOnce_data() {
        QTest::addColumn<qint16>("dsr");
        QTest::newRow("1") << qint16(1);
        QTest::newRow("any other nonzero value") << qint16(-1);
    }
    void safetyOffStartsAtOnce() {
        QFETCH(qint16, dsr);
        Form1Harness h;
        h.storePalaceDirectory();
        Form1Probe f = h.start();
        f.DSR = dsr;

        f.Command3->click();

        QVERIFY(h.prompter.requests.isEmpty());
        QCOMPARE(h.starter.started, QStringList{h.palaceDirectory() + QStringLiteral("palace32.exe")});
    }

    void readsTheDirectoryAfreshAtEachClick() {
        Form1Harness h;
        Form1Probe f = h.start();
        f.DSR = 1;
        f.Command3->click();
        QCOMPARE(f.Selpath, QString());

        h.storePalaceDirectory();
        f.Command3->click();
        QCOMPARE(f.Selpath, h.palaceDirectory());

        const QString other = QStringLiteral("/elsewhere/Palace//");
        h.settings.saveSetting(QStringLiteral("Stowbox"), QStringLiteral("Spath"), QStringLiteral("Pathkey"),
                               other);
        f.Command3->click();
        QCOMPARE(f.Selpath, other);

        QCOMPARE(h.starter.started, (QStringList{QStringLiteral("palace32.exe"),
                                                 h.palaceDirectory() + QStringLiteral("palace32.exe"),
                                                 other + QStringLiteral("palace32.exe")}));
    }

    void declinedStartStillRereadsTheDirectory() {
        Form1Harness h;
        Form1Probe f = h.start();
        h.storePalaceDirectory();
        h.prompter.answerMessage(7);
        f.Command3->click();
        QCOMPARE(f.Selpath, h.palaceDirectory());
        QVERIFY(h.starter.started.isEmpty());
    }

    void failedStartShowsTheMessage_data() {
        QTest::addColumn<bool>("safetyOff");
        QTest::addColumn<bool>("unreadable"); // the settings file: then nothing is asked or started
        QTest::newRow("safety on") << false << false;
        QTest::newRow("safety off") << true << false;
        QTest::newRow("settings file unreadable") << false << true;
    }
    void failedStartShowsTheMessage() {
        QFETCH(bool, safetyOff);
        QFETCH(bool, unreadable);
        Form1Harness h;
        h.storePalaceDirectory();
        Form1Probe f = h.start();
        f.DSR = safetyOff ? 1 : 0;
        h.starter.succeeds = false;
        if (unreadable)
            h.makeSettingsUnreadable();
        const bool asks = !safetyOff && !unreadable;
        if (asks)
            h.prompter.answerMessage(Pressed::Yes);
        h.prompter.answerMessage(Pressed::Ok);

        f.Command3->click();

        QCOMPARE(describe(h.prompter.requests),
                 asks ? QStringList({startQuestion, palaceFilesError}) : QStringList{palaceFilesError});
        QCOMPARE(h.starter.started.size(), unreadable ? 0 : 1);
        QVERIFY(h.prompter.unexpected.isEmpty());
        QCOMPARE(h.prompter.unusedAnswers(), 0);
    }

    void startsWhetherOrNotTheClientRuns() {
        Form1Harness h;
        h.client.running = true;
        Form1Probe f = h.start();
        h.prompter.answerMessage(6);
        f.Command3->click();
        QCOMPARE(h.client.calls, 0);
        QCOMPARE(describe(h.prompter.requests), QStringList{startQuestion});
        QCOMPARE(h.starter.started.size(), 1);
    }

    void changesNothingElse() {
        Form1Harness h;
        writeFile(h.bagPath(QStringLiteral("a.prp")), "a");
        h.storePalaceDirectory();
        Form1Probe f = h.start();
        h.starter.succeeds = false;
        h.prompter.answerMessage(6);
        h.prompter.answerMessage(1);
        f.Command3->click();
        QVERIFY(f.Command3->isEnabled());
        QVERIFY(!f.Command1->isEnabled());
        QVERIFY(f.Command2->isEnabled());
        QCOMPARE(f.DSR, qint16(0));
        QCOMPARE(f.Selfile, QString());
        QCOMPARE(QDir(h.programDir.path()).entryList(QDir::Files), QStringList{QStringLiteral("a.prp")});
    }
};

QTEST_MAIN(StartPalaceTest)
#include "tst_startpalace.moc"
