#include "app/mainwindow/BagList.h"
#include "app/mainwindow/Form1.h"
#include "support/BagPrompts.h"
#include "support/Form1Harness.h"
#include "support/Form1Probe.h"

#include <QAction>
#include <QPushButton>
#include <QtTest>
#include <cerrno>
#include <cstring>

namespace {

struct RenameCase {
    qint16 dsr = 0;
    bool clientRunning = false;
    bool bagGone = false;
    QString typed;
    QString renamedTo; // the bag that now holds a.prp's bytes, a.prp gone; empty when no file changes
    int failure = 0;   // errno of the failed rename, reported with the new bag's path; 0 when none
    bool noNameMessage = false;
    QString controlsAfter;
    bool refreshed = false;
    bool latin1 = false; // the selected bag's name is Latin-1, not valid UTF-8, in place of a.prp
    int permanent = 0;   // the answer to the question before a loss, asked when no trash can be used
};

const QString allOn = QStringLiteral("load:on save:on list:on delete:on rename:on");
const QString afterRename = QStringLiteral("load:off save:on list:on delete:on rename:off");

} // namespace

Q_DECLARE_METATYPE(RenameCase)

class RenameTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { Form1Harness::setHomeTrashUsable(true); } // a row may have broken it

    void outcomes_data() {
        QTest::addColumn<RenameCase>("c");
        QTest::newRow("new name") << RenameCase{
            0,     false,       false, QStringLiteral("party"), QStringLiteral("party.prp"), 0,
            false, afterRename, true};
        QTest::newRow("safety off, client running: the same, nothing more asked")
            << RenameCase{1,     true,        false, QStringLiteral("party"), QStringLiteral("party.prp"), 0,
                          false, afterRename, true};
        QTest::newRow("another bag's name: that bag is replaced") << RenameCase{
            0,     false,       false, QStringLiteral("myprop"), QStringLiteral("myprop.prp"), 0,
            false, afterRename, true};
        QTest::newRow("typed extension kept") << RenameCase{
            0,     false,       false, QStringLiteral("party.prp"), QStringLiteral("party.prp.prp"), 0,
            false, afterRename, true};
        QTest::newRow("no name given: error, list still re-read")
            << RenameCase{0, false, false, {}, {}, 0, true, afterRename, true};
        QTest::newRow("the bag's own name: the bag is kept, nothing changes")
            << RenameCase{0, false, false, QStringLiteral("a"), {}, 0, false, allOn, false};
        QTest::newRow("bag gone: rename error, nothing else")
            << RenameCase{0, false, true, QStringLiteral("party"), {}, ENOENT, false, allOn, false};
        QTest::newRow("bag gone, its own name: rename error, nothing else")
            << RenameCase{0, false, true, QStringLiteral("a"), {}, ENOENT, false, allOn, false};
        QTest::newRow("Latin-1 name: that bag is renamed") << RenameCase{
            0,           false, false, QStringLiteral("party"), QStringLiteral("party.prp"), 0, false,
            afterRename, true,  true};
        QTest::newRow("a folder has the new name: rename error, nothing else")
            << RenameCase{0, false, false, QStringLiteral("folder"), {}, EISDIR, false, allOn, false};
        QTest::newRow("no trash, another bag's name, Yes: replaced") << RenameCase{
            0, false, false, "myprop", "myprop.prp", 0, false, afterRename, true, false, Pressed::Yes};
        QTest::newRow("no trash, another bag's name, No: nothing changes, nothing more said")
            << RenameCase{0, false, false, "myprop", {}, 0, false, allOn, false, false, Pressed::No};
    }

    void outcomes() {
        QFETCH(RenameCase, c);
        Form1Harness::setHomeTrashUsable(c.permanent == 0);
        Form1Harness scene(Form1Harness::Palace::Stored);
        QVERIFY(QDir(scene.programDir.path()).mkdir(QStringLiteral("folder.prp")));
        scene.client.running = c.clientRunning;
        if (c.latin1)
            scene.writeRawBag(Form1Harness::latin1Bag);
        const QString selected = c.latin1 ? Form1Harness::latin1Shown : QStringLiteral("a.prp");
        Form1Probe f = scene.open(selected);
        if (c.dsr != 0)
            f.menDSR->trigger(); // safety requests off, as the user turns them off
        QCOMPARE(f.DSR, c.dsr);
        scene.sneakBagIn();
        if (c.bagGone)
            QVERIFY(QFile::remove(scene.bagPath(QStringLiteral("a.prp"))));
        DirectoryContents expected = scene.programFiles();
        const DirectoryContents palaceBefore = scene.palaceFiles();
        if (!c.renamedTo.isEmpty()) {
            expected.remove(selected);
            expected.insert(c.renamedTo, c.latin1 ? Form1Harness::latin1Bag : Form1Harness::bagABytes);
        }
        scene.prompter.answerText(c.typed);
        if (c.permanent != 0)
            scene.prompter.answerMessage(c.permanent);
        if (c.noNameMessage || c.failure != 0)
            scene.prompter.answerMessage(Pressed::Ok);

        f.menRename->trigger();

        QStringList prompts{askNewBagName};
        if (c.permanent != 0)
            prompts.append(permanentDeleteQuestion(QStringLiteral("myprop.prp"),
                                                   QString::fromLocal8Bit(std::strerror(ENOTDIR))));
        if (c.noNameMessage)
            prompts.append(renameNoNameError);
        if (c.failure != 0)
            prompts.append(renameError(scene.bagPath(QStringLiteral("a.prp")),
                                       scene.bagPath(c.typed + QStringLiteral(".prp")),
                                       QString::fromLocal8Bit(std::strerror(c.failure))));
        scene.checkOutcome({.prompts = prompts,
                            .clientCalls = 0,
                            .programFiles = expected,
                            .palaceFiles = palaceBefore,
                            .currentDirFiles = std::nullopt,
                            .controls = c.controlsAfter,
                            .refreshed = c.refreshed,
                            .selfile = selected});
    }

    void workingStorageHoldsTheTypedName() {
        Form1Harness scene(Form1Harness::Palace::Stored);
        Form1Probe f = scene.open(QStringLiteral("a.prp"));
        scene.prompter.answerText(QStringLiteral(" party "));
        QString rfile;
        f.RenFile(rfile);
        QCOMPARE(rfile, QStringLiteral(" party "));
        QCOMPARE(readFile(scene.bagPath(QStringLiteral(" party .prp"))), Form1Harness::bagABytes);
    }

    // Delete and rename each withdraw only their own item; Selfile keeps naming the bag that is gone,
    // so the other operation then fails on it and reports so.
    void theOtherOperationAfterwardsMeetsTheBagGone() {
        Form1Harness scene(Form1Harness::Palace::Stored);
        Form1Probe f = scene.open(QStringLiteral("a.prp"));
        scene.prompter.answerText(QStringLiteral("party"));
        f.menRename->trigger();
        QVERIFY(f.menDelete->isEnabled());
        scene.prompter.answerMessage(Pressed::Yes);
        scene.prompter.answerMessage(Pressed::Ok);
        f.menDelete->trigger();
        QCOMPARE(describe(scene.prompter.requests),
                 (QStringList{askNewBagName, deleteQuestion(QStringLiteral("a.prp")),
                              deleteFailure(scene.bagPath(QStringLiteral("a.prp")),
                                            QString::fromLocal8Bit(std::strerror(ENOENT)))}));
        QCOMPARE(scene.prompter.unusedAnswers(), 0);
        QVERIFY(QFile::exists(scene.bagPath(QStringLiteral("party.prp"))));
        QCOMPARE(f.Selfile, QStringLiteral("a.prp"));
    }
};

QTEST_MAIN(RenameTest)
#include "tst_rename.moc"
