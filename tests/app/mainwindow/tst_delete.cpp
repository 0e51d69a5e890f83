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
#include <unistd.h>

namespace {

struct DeleteCase {
    qint16 dsr = 0;
    bool bagGone = false;
    bool saveOffBefore = false; // as a failed save leaves it
    QList<int> replies;
    QStringList prompts; // "<delete error>" stands for the report of the failed delete
    bool deleted = false;
    QString controlsAfter;
    bool refreshed = false;
    bool twins = false;     // the Latin-1 bag beside its look-alike is selected, not a.prp
    bool noTrash = false;   // a file takes the home trash's place
    bool notSynced = false; // the program directory cannot be synced after the delete
};

const QString allOn = QStringLiteral("load:on save:on list:on delete:on rename:on");
const QString afterDelete = QStringLiteral("load:off save:on list:on delete:off rename:on");
const QString deleteErrorMarker = QStringLiteral("<delete error>");
const QString notSyncedMarker = QStringLiteral("<not synced>");

} // namespace

Q_DECLARE_METATYPE(DeleteCase)

class DeleteTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { Form1Harness::setHomeTrashUsable(true); } // a row may have broken it

    void outcomes_data() {
        QTest::addColumn<DeleteCase>("c");
        const QString ask = deleteQuestion(QStringLiteral("a.prp"));
        QTest::newRow("Yes: deleted")
            << DeleteCase{0, false, false, {Pressed::Yes}, {ask}, true, afterDelete, true};
        QTest::newRow("No: nothing changes")
            << DeleteCase{0, false, false, {Pressed::No}, {ask}, false, allOn, false};
        QTest::newRow("box dismissed: nothing changes")
            << DeleteCase{0, false, false, {Pressed::Cancel}, {ask}, false, allOn, false};
        QTest::newRow("safety off: deleted without a question")
            << DeleteCase{1, false, false, {}, {}, true, afterDelete, true};
        QTest::newRow("Save was off: a delete makes it available")
            << DeleteCase{0, false, true, {Pressed::Yes}, {ask}, true, afterDelete, true};
        QTest::newRow("bag gone: delete error, nothing else") << DeleteCase{
            0, true, false, {Pressed::Yes, Pressed::Ok}, {ask, deleteErrorMarker}, false, allOn, false};
        QTest::newRow("bag gone, safety off: delete error")
            << DeleteCase{1, true, false, {Pressed::Ok}, {deleteErrorMarker}, false, allOn, false};
        QTest::newRow("Latin-1 name beside its look-alike: the chosen one goes")
            << DeleteCase{1, false, false, {}, {}, true, afterDelete, true, true};
        const QString lose = permanentDeleteQuestion("a.prp", QString::fromLocal8Bit(std::strerror(ENOTDIR)));
        QTest::newRow("no trash, Yes: deleted for good") << DeleteCase{
            0, false, false, {Pressed::Yes, Pressed::Yes}, {ask, lose}, true, afterDelete, true, false, true};
        QTest::newRow("no trash, No: nothing changes, nothing more said") << DeleteCase{
            0, false, false, {Pressed::Yes, Pressed::No}, {ask, lose}, false, allOn, false, false, true};
        QTest::newRow("no trash, safety off: asked all the same")
            << DeleteCase{1, false, false, {Pressed::Yes}, {lose}, true, afterDelete, true, false, true};
        QTest::newRow("the folder not synced: deleted, and said so") << DeleteCase{
            1, false, false, {Pressed::Ok}, {notSyncedMarker}, true, afterDelete, true, false, false, true};
    }

    void outcomes() {
        QFETCH(DeleteCase, c);
        const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash");
        Form1Harness::setHomeTrashUsable(!c.noTrash);
        Form1Harness scene(Form1Harness::Palace::Stored);
        scene.client.running = true; // delete never asks about the client
        if (c.twins) {
            scene.writeRawBag(Form1Harness::latin1Bag);
            scene.writeRawBag(Form1Harness::lookAlikeBag);
        }
        const QString selected = c.twins ? Form1Harness::latin1Shown : QStringLiteral("a.prp");
        Form1Probe f = scene.open(selected);
        if (c.dsr != 0)
            f.menDSR->trigger(); // safety requests off, as the user turns them off
        QCOMPARE(f.DSR, c.dsr);
        f.Command2->setEnabled(!c.saveOffBefore);
        scene.sneakBagIn();
        if (c.bagGone)
            QVERIFY(QFile::remove(scene.bagPath(QStringLiteral("a.prp"))));
        DirectoryContents expected = scene.programFiles();
        const DirectoryContents palaceBefore = scene.palaceFiles();
        // Both twins are read through the look-alike's name: it is still there, with its own bytes.
        if (c.deleted && !c.twins)
            expected.remove(QStringLiteral("a.prp"));
        for (int code : c.replies)
            scene.prompter.answerMessage(code);
        // The trash's info, its folder and its files folder are synced before the program directory.
        const auto fsyncs =
            std::count_if(scene.fileSystem.trace.cbegin(), scene.fileSystem.trace.cend(),
                          [](const auto& step) { return step.call == FaultyFileSystem::Call::Fsync; });
        if (c.notSynced)
            scene.fileSystem.fault = FaultyFileSystem::Fault{FaultyFileSystem::Call::Fsync, int(fsyncs) + 4,
                                                             FaultyFileSystem::Effect::Fail, EIO};

        f.menDelete->trigger();
        scene.fileSystem.fault.reset();

        const QString bag = scene.bagPath(QStringLiteral("a.prp"));
        QStringList prompts = c.prompts;
        prompts.replaceInStrings(deleteErrorMarker,
                                 deleteFailure(bag, QString::fromLocal8Bit(std::strerror(ENOENT))));
        prompts.replaceInStrings(notSyncedMarker, notDurable(QStringLiteral("Delete Error"), bag,
                                                             QString::fromLocal8Bit(std::strerror(EIO))));
        scene.checkOutcome({.prompts = prompts,
                            .clientCalls = 0,
                            .programFiles = expected,
                            .palaceFiles = palaceBefore,
                            .currentDirFiles = std::nullopt,
                            .controls = c.controlsAfter,
                            .refreshed = c.refreshed,
                            .selfile = selected});
        if (c.twins)
            QCOMPARE(f.bagNames().count(selected), 1);
        // A deleted bag is not gone: it waits in the trash, under its own name.
        const QByteArray files = QFile::encodeName(trash) + "/files/";
        const DirectoryContents trashedA{{QStringLiteral("a.prp"), Form1Harness::bagABytes}};
        if (c.twins) {
            QCOMPARE(::access((files + Form1Harness::latin1Bag).constData(), F_OK), 0);
            // Qt cannot reach a name that is not valid text: the next row could not empty the trash.
            ::unlink((files + Form1Harness::latin1Bag).constData());
            ::unlink(
                (QFile::encodeName(trash) + "/info/" + Form1Harness::latin1Bag + ".trashinfo").constData());
        } else {
            QCOMPARE(contentsOf(trash + "/files"), c.deleted && !c.noTrash ? trashedA : DirectoryContents());
        }
    }

    // Delbox keeps the answer as the digits of the button code and is left alone when nothing is asked.
    void workingStorageHoldsTheAnswer_data() {
        QTest::addColumn<qint16>("dsr");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("delbox");
        QTest::newRow("Yes") << qint16(0) << Pressed::Yes << QStringLiteral("6");
        QTest::newRow("No") << qint16(0) << Pressed::No << QStringLiteral("7");
        QTest::newRow("not asked") << qint16(1) << 0 << QStringLiteral("untouched");
    }
    void workingStorageHoldsTheAnswer() {
        QFETCH(qint16, dsr);
        QFETCH(int, answer);
        QFETCH(QString, delbox);
        Form1Harness scene(Form1Harness::Palace::Stored);
        Form1Probe f = scene.open(QStringLiteral("a.prp"));
        if (dsr != 0)
            f.menDSR->trigger();
        QCOMPARE(f.DSR, dsr);
        if (dsr == 0)
            scene.prompter.answerMessage(answer);
        QString box = QStringLiteral("untouched");
        f.Delfile(box);
        QCOMPARE(box, delbox);
    }

    // The Del key: the list acts when it is released, the menu shortcut when it is pressed elsewhere;
    // one press never starts two deletes. Every question is answered No, so Delete stays available
    // and a second start would show a second question.
    void deleteKey_data() {
        QTest::addColumn<bool>("inList");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("questions");
        const Qt::KeyboardModifiers none;
        QTest::newRow("list: Del") << true << true << int(Qt::Key_Delete) << none << 1;
        QTest::newRow("list: Shift+Del")
            << true << true << int(Qt::Key_Delete) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 1;
        QTest::newRow("list: Ctrl+Del")
            << true << true << int(Qt::Key_Delete) << Qt::KeyboardModifiers(Qt::ControlModifier) << 1;
        QTest::newRow("list: Alt+Del")
            << true << true << int(Qt::Key_Delete) << Qt::KeyboardModifiers(Qt::AltModifier) << 1;
        QTest::newRow("list: Backspace") << true << true << int(Qt::Key_Backspace) << none << 0;
        QTest::newRow("list: D") << true << true << int(Qt::Key_D) << none << 0;
        QTest::newRow("list: Del while Delete is unavailable")
            << true << false << int(Qt::Key_Delete) << none << 0;
        QTest::newRow("Save button: Del") << false << true << int(Qt::Key_Delete) << none << 1;
        QTest::newRow("Save button: Shift+Del")
            << false << true << int(Qt::Key_Delete) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 0;
        QTest::newRow("Save button: Del while Delete is unavailable")
            << false << false << int(Qt::Key_Delete) << none << 0;
    }
    void deleteKey() {
        QFETCH(bool, inList);
        QFETCH(bool, selected);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, questions);
        Form1Harness scene(Form1Harness::Palace::Stored);
        Form1Probe f = scene.open(QStringLiteral("a.prp"));
        if (!selected)
            f.Form_Click();
        QApplication::setActiveWindow(&f.form);
        QVERIFY(QTest::qWaitForWindowActive(&f.form));
        QWidget* target = inList ? static_cast<QWidget*>(f.File1) : f.Command2;
        target->setFocus();
        QTRY_VERIFY(target->hasFocus());
        for (int i = 0; i < questions; ++i)
            scene.prompter.answerMessage(Pressed::No);

        QTest::keyClick(target, Qt::Key(key), modifiers);

        QCOMPARE(describe(scene.prompter.requests),
                 QStringList(questions, deleteQuestion(QStringLiteral("a.prp"))));
        QCOMPARE(scene.prompter.unexpected, QStringList());
        QVERIFY(QFile::exists(scene.bagPath(QStringLiteral("a.prp"))));
    }

    // With Yes the bag goes; the release that follows a delete made through the shortcut does nothing more.
    void deleteKeyDeletesOnce_data() {
        QTest::addColumn<bool>("inList");
        QTest::newRow("list") << true;
        QTest::newRow("Save button") << false;
    }
    void deleteKeyDeletesOnce() {
        QFETCH(bool, inList);
        Form1Harness scene(Form1Harness::Palace::Stored);
        Form1Probe f = scene.open(QStringLiteral("a.prp"));
        f.menDSR->trigger();
        QCOMPARE(f.DSR, qint16(1));
        QApplication::setActiveWindow(&f.form);
        QVERIFY(QTest::qWaitForWindowActive(&f.form));
        QWidget* target = inList ? static_cast<QWidget*>(f.File1) : f.Command2;
        target->setFocus();
        QTRY_VERIFY(target->hasFocus());
        QTest::keyClick(target, Qt::Key_Delete);
        QVERIFY(!QFile::exists(scene.bagPath(QStringLiteral("a.prp"))));
        QCOMPARE(describe(scene.prompter.requests),
                 QStringList()); // a second delete would report the bag gone
        QVERIFY(!f.menDelete->isEnabled());
    }
};

QTEST_MAIN(DeleteTest)
#include "tst_delete.moc"
