#include "app/mainwindow/BagList.h"
#include "app/mainwindow/Form1.h"
#include "support/BagPrompts.h"
#include "support/Form1Harness.h"
#include "support/Form1Probe.h"

#include <QPushButton>
#include <QtTest>
#include <cerrno>
#include <cstring>

using Palace = Form1Harness::Palace;
using Call = FaultyFileSystem::Call;
using Effect = FaultyFileSystem::Effect;

namespace {

struct SaveCase {
    Palace palace = Palace::Stored;
    bool clientRunning = false;
    bool selectFirst = true;
    QString typed; // the answer to the name prompt
    QStringList prompts;
    QString savedAs; // the bag that must now hold the live bytes; empty when nothing is written
    QString controlsAfter;
    bool refreshed = false;
    bool listingFails = false; // the folder cannot be read once the bag is written
    int permanent = 0;         // the answer to the question before a loss, asked when no trash can be used
};

} // namespace

Q_DECLARE_METATYPE(SaveCase)

class SaveTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { Form1Harness::setHomeTrashUsable(true); } // a row may have broken it

    void outcomes_data() {
        QTest::addColumn<SaveCase>("c");
        const QString savedControls = QStringLiteral("load:off save:on list:on delete:on rename:on");
        const QString failedControls = QStringLiteral("load:off save:off list:on delete:on rename:on");
        const QString unreadControls = QStringLiteral("load:off save:on list:on delete:on rename:on");

        QTest::newRow("client running: refused, nothing asked or changed")
            << SaveCase{Palace::Stored,
                        true,
                        true,
                        {},
                        {clientRunningRefusal},
                        {},
                        QStringLiteral("load:on save:on list:on delete:on rename:on"),
                        false};
        QTest::newRow("new name") << SaveCase{
            Palace::Stored, false, true, QStringLiteral("party"), {askBagName}, QStringLiteral("party.prp"),
            savedControls,  true};
        QTest::newRow("existing name replaced without a question") << SaveCase{
            Palace::Stored, false, true, QStringLiteral("myprop"), {askBagName}, QStringLiteral("myprop.prp"),
            savedControls,  true};
        QTest::newRow("the selected bag's own name")
            << SaveCase{Palace::Stored,          false,         true, QStringLiteral("a"), {askBagName},
                        QStringLiteral("a.prp"), savedControls, true};
        QTest::newRow("no name given")
            << SaveCase{Palace::Stored, false, true, {}, {askBagName}, {}, savedControls, true};
        QTest::newRow("typed extension kept") << SaveCase{
            Palace::Stored, false, true, QStringLiteral("a.prp"), {askBagName}, QStringLiteral("a.prp.prp"),
            savedControls,  true};
        QTest::newRow("leading and trailing spaces kept")
            << SaveCase{Palace::Stored, false,
                        true,           QStringLiteral("  lead trail "),
                        {askBagName},   QStringLiteral("  lead trail .prp"),
                        savedControls,  true};
        QTest::newRow("right after start-up, nothing selected")
            << SaveCase{Palace::Stored,
                        false,
                        false,
                        QStringLiteral("first"),
                        {askBagName},
                        QStringLiteral("first.prp"),
                        QStringLiteral("load:off save:on list:on delete:off rename:off"),
                        true};
        QTest::newRow("directory stored after start-up is read afresh") << SaveCase{
            Palace::StoredAfterStart,    false,         true, QStringLiteral("fresh"), {askBagName},
            QStringLiteral("fresh.prp"), savedControls, true};
        QTest::newRow("nothing stored: palace.prp of the current directory")
            << SaveCase{Palace::NotStoredLiveHere,  false,         true, QStringLiteral("here"), {askBagName},
                        QStringLiteral("here.prp"), savedControls, true};
        QTest::newRow("nothing stored and no palace.prp here: error") << SaveCase{
            Palace::NotStored, false, true, QStringLiteral("x"), {askBagName, palaceFilesError}, {},
            failedControls,    false};
        QTest::newRow("palace.prp missing: error") << SaveCase{
            Palace::NoLiveFile, false, true, QStringLiteral("x"), {askBagName, palaceFilesError}, {},
            failedControls,     false};
        QTest::newRow("stored directory gone: error")
            << SaveCase{Palace::DirectoryGone,          false, true,           QStringLiteral("x"),
                        {askBagName, palaceFilesError}, {},    failedControls, false};
        QTest::newRow("palace.prp missing, existing name: the bag is kept") << SaveCase{
            Palace::NoLiveFile, false, true, QStringLiteral("myprop"), {askBagName, palaceFilesError}, {},
            failedControls,     false};
        QTest::newRow("bag cannot be written (a folder of that name): error") << SaveCase{
            Palace::Stored, false, true, QStringLiteral("folder"), {askBagName, palaceFilesError}, {},
            failedControls, false};
        QTest::newRow("settings file unreadable: error before the name, Save left on")
            << SaveCase{Palace::Unreadable, false, true, {}, {palaceFilesError}, {}, unreadControls, false};
        QTest::newRow("bag saved, folder cannot be listed: error") << SaveCase{Palace::Stored,
                                                                               false,
                                                                               true,
                                                                               QStringLiteral("party"),
                                                                               {askBagName, palaceFilesError},
                                                                               QStringLiteral("party.prp"),
                                                                               failedControls,
                                                                               false,
                                                                               true};
        const QString noTrash =
            permanentDeleteQuestion("myprop.prp", QString::fromLocal8Bit(std::strerror(ENOTDIR)));
        QTest::newRow("no trash, new name: nothing asked")
            << SaveCase{Palace::Stored, false,         true, "party", {askBagName},
                        "party.prp",    savedControls, true, false,   Pressed::No};
        QTest::newRow("no trash, existing name, Yes: replaced")
            << SaveCase{Palace::Stored, false,         true, "myprop", {askBagName, noTrash},
                        "myprop.prp",   savedControls, true, false,    Pressed::Yes};
        QTest::newRow("no trash, existing name, No: a failed save without its message")
            << SaveCase{Palace::Stored, false, true,  "myprop",   {askBagName, noTrash}, {},
                        failedControls, false, false, Pressed::No};
    }

    void outcomes() {
        QFETCH(SaveCase, c);
        Form1Harness::setHomeTrashUsable(c.permanent == 0);
        Form1Harness scene(c.palace);
        QVERIFY(QDir(scene.programDir.path()).mkdir(QStringLiteral("folder.prp")));
        scene.client.running = c.clientRunning;
        Form1Probe f = scene.open(c.selectFirst ? QStringLiteral("a.prp") : QString());
        scene.sneakBagIn();
        DirectoryContents expectedProgram = scene.programFiles();
        const DirectoryContents palaceBefore = scene.palaceFiles();
        const DirectoryContents currentBefore = scene.currentDirFiles();
        if (!c.savedAs.isEmpty())
            expectedProgram.insert(c.savedAs, Form1Harness::liveBytes);

        FaultyFileSystem& fs = scene.fileSystem;
        QString controlsWhileAsked;
        scene.prompter.whileOpen = [&](const FakePrompter::Request& request) {
            if (request.kind != FakePrompter::Request::Input)
                return;
            controlsWhileAsked = controlStates(f);
            // The copy reads no folder: the next one read is the listing after it.
            const auto read = std::count_if(fs.trace.cbegin(), fs.trace.cend(),
                                            [](const auto& step) { return step.call == Call::Readdir; });
            if (c.listingFails)
                fs.fault = FaultyFileSystem::Fault{Call::Readdir, int(read) + 1, Effect::Fail, EIO};
        };
        for (const QString& prompt : c.prompts)
            prompt == askBagName
                ? scene.prompter.answerText(c.typed)
                : scene.prompter.answerMessage(prompt.contains("Permanently") ? c.permanent : Pressed::Ok);
        QTest::mouseClick(f.Command2, Qt::LeftButton);

        scene.checkOutcome({.prompts = c.prompts,
                            .clientCalls = 1,
                            .programFiles = expectedProgram,
                            .palaceFiles = palaceBefore,
                            .currentDirFiles = currentBefore,
                            .controls = c.controlsAfter,
                            .refreshed = c.refreshed,
                            .selfile = c.selectFirst ? QStringLiteral("a.prp") : QString()});
        if (QTest::currentTestFailed())
            return;
        if (c.prompts.contains(askBagName))
            QVERIFY2(controlsWhileAsked.startsWith(QStringLiteral("load:off save:off list:off")),
                     qPrintable(controlsWhileAsked));
        if (!c.savedAs.isEmpty() && c.refreshed)
            QVERIFY(f.bagNames().contains(c.savedAs));
    }

    // After a failed save only a new selection or a background click makes Save available again.
    void failedSaveKeepsSaveOffUntilTheNextSelection() {
        Form1Harness scene(Palace::NoLiveFile);
        Form1Probe f = scene.open(QStringLiteral("a.prp"));
        scene.prompter.answerText(QStringLiteral("x"));
        scene.prompter.answerMessage(Pressed::Ok);
        QTest::mouseClick(f.Command2, Qt::LeftButton);
        QVERIFY(!f.Command2->isEnabled());
        QTest::mouseClick(f.Command2, Qt::LeftButton);
        QCOMPARE(scene.prompter.requests.size(), 2);
        scene.clickBag(QStringLiteral("myprop.prp"));
        QVERIFY(f.Command2->isEnabled());
        QVERIFY(f.Command1->isEnabled());
    }
};

QTEST_MAIN(SaveTest)
#include "tst_save.moc"
