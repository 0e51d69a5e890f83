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

using Palace = Form1Harness::Palace;

namespace {

// One scripted answer: a button code, or a text for the name prompt.
struct Reply {
    int code = 0;
    QString text;
    bool isText = false;
};
Reply press(int code) {
    return {code, {}, false};
}
Reply type(const QString& text) {
    return {0, text, true};
}

enum class Setup { None, BagGone, Latin1 }; // Latin1: the selected bag's name is not valid UTF-8

struct LoadCase {
    Palace palace = Palace::Stored;
    bool clientRunning = false;
    qint16 dsr = 0;
    Setup setup = Setup::None;
    QList<Reply> replies;
    QStringList prompts;  // "<load error>" stands for the report of the failed copy
    QByteArray liveAfter; // null: the live file stays as it was
    QString savedAs;      // the bag that the offered save writes with the live bytes
    QString controlsAfter;
    bool refreshed = false;
    bool noTrash = false; // a file takes the home trash's place
};

const QString unchangedControls = QStringLiteral("load:on save:on list:on delete:on rename:on");
const QString afterFailedSave = QStringLiteral("load:on save:off list:on delete:on rename:on");
const QString loadErrorMarker = QStringLiteral("<load error>");
const QString settingsErrorMarker = QStringLiteral("<settings error>");

} // namespace

Q_DECLARE_METATYPE(LoadCase)

class LoadTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { Form1Harness::setHomeTrashUsable(true); } // a row may have broken it

    void outcomes_data() {
        QTest::addColumn<LoadCase>("c");
        const QByteArray bagA = Form1Harness::bagABytes;
        const QByteArray live = Form1Harness::liveBytes;
        const QString question = loadQuestion;
        const QString finalQuestion = finalLoadQuestion(QStringLiteral("a.prp"));
        const QString loaded = loadDone(QStringLiteral("a.prp"));
        const Reply yes = press(Pressed::Yes), no = press(Pressed::No), ok = press(Pressed::Ok),
                    cancel = press(Pressed::Cancel);

        QTest::newRow("client running: refused")
            << LoadCase{Palace::Stored,         true, 0,  Setup::None,       {ok},
                        {clientRunningRefusal}, {},   {}, unchangedControls, false};
        QTest::newRow("client running, safety off: refused as well")
            << LoadCase{Palace::Stored,         true, 1,  Setup::None,       {ok},
                        {clientRunningRefusal}, {},   {}, unchangedControls, false};
        QTest::newRow("safety off: copied without a word")
            << LoadCase{Palace::Stored, false, 1, Setup::None, {}, {}, bagA, {}, unchangedControls, false};
        QTest::newRow("no save, OK: loaded") << LoadCase{
            Palace::Stored,    false, 0, Setup::None, {no, ok}, {question, finalQuestion, loaded}, bagA, {},
            unchangedControls, false};
        QTest::newRow("no save, Cancel: nothing copied") << LoadCase{
            Palace::Stored,    false, 0, Setup::None, {no, cancel}, {question, finalQuestion}, {}, {},
            unchangedControls, false};
        QTest::newRow("save first, OK: saved and loaded")
            << LoadCase{Palace::Stored,
                        false,
                        0,
                        Setup::None,
                        {yes, type(QStringLiteral("keep")), ok},
                        {question, askBagName, finalQuestion, loaded},
                        bagA,
                        QStringLiteral("keep.prp"),
                        unchangedControls,
                        true};
        QTest::newRow("save first, Cancel: the saved bag stays, nothing loaded")
            << LoadCase{Palace::Stored,
                        false,
                        0,
                        Setup::None,
                        {yes, type(QStringLiteral("keep")), cancel},
                        {question, askBagName, finalQuestion},
                        {},
                        QStringLiteral("keep.prp"),
                        unchangedControls,
                        true};
        QTest::newRow("save first, name cancelled: still asks and loads")
            << LoadCase{Palace::Stored,
                        false,
                        0,
                        Setup::None,
                        {yes, type({}), ok},
                        {question, askBagName, finalQuestion, loaded},
                        bagA,
                        {},
                        unchangedControls,
                        true};
        QTest::newRow("save first fails (not a file name): still asks and loads")
            << LoadCase{Palace::Stored,
                        false,
                        0,
                        Setup::None,
                        {yes, type(QStringLiteral("a/b")), ok, ok},
                        {question, askBagName, palaceFilesError, finalQuestion, loaded},
                        bagA,
                        {},
                        afterFailedSave,
                        false};
        QTest::newRow("save first fails (no palace.prp): still asks and loads")
            << LoadCase{Palace::NoLiveFile,
                        false,
                        0,
                        Setup::None,
                        {yes, type(QStringLiteral("keep")), ok, ok},
                        {question, askBagName, palaceFilesError, finalQuestion, loaded},
                        bagA,
                        {},
                        afterFailedSave,
                        false};
        QTest::newRow("save first fails, Cancel: nothing copied")
            << LoadCase{Palace::NoLiveFile,
                        false,
                        0,
                        Setup::None,
                        {yes, type(QStringLiteral("keep")), ok, cancel},
                        {question, askBagName, palaceFilesError, finalQuestion},
                        {},
                        {},
                        afterFailedSave,
                        false};
        QTest::newRow("save first under the selected bag's own name: palace.prp keeps its props")
            << LoadCase{Palace::Stored,
                        false,
                        0,
                        Setup::None,
                        {yes, type(QStringLiteral("a")), ok},
                        {question, askBagName, finalQuestion, loaded},
                        live,
                        QStringLiteral("a.prp"),
                        unchangedControls,
                        true};
        QTest::newRow("bag gone: load error, no success")
            << LoadCase{Palace::Stored,
                        false,
                        0,
                        Setup::BagGone,
                        {no, ok, ok},
                        {question, finalQuestion, loadErrorMarker},
                        {},
                        {},
                        unchangedControls,
                        false};
        QTest::newRow("bag gone, safety off: load error")
            << LoadCase{Palace::Stored,    false, 1,  Setup::BagGone,    {ok},
                        {loadErrorMarker}, {},    {}, unchangedControls, false};
        QTest::newRow("stored directory gone: load error")
            << LoadCase{Palace::DirectoryGone,
                        false,
                        0,
                        Setup::None,
                        {no, ok, ok},
                        {question, finalQuestion, loadErrorMarker},
                        {},
                        {},
                        unchangedControls,
                        false};
        QTest::newRow("settings file unreadable: load error naming it, nothing asked or copied")
            << LoadCase{Palace::Unreadable,    false, 0,  Setup::None,       {ok},
                        {settingsErrorMarker}, {},    {}, unchangedControls, false};
        QTest::newRow("nothing stored: palace.prp of the current directory") << LoadCase{
            Palace::NotStored, false, 0, Setup::None, {no, ok}, {question, finalQuestion, loaded}, bagA, {},
            unchangedControls, false};
        QTest::newRow("nothing stored, palace.prp here: replaced") << LoadCase{
            Palace::NotStoredLiveHere, false, 1, Setup::None, {}, {}, bagA, {}, unchangedControls, false};
        QTest::newRow("directory stored after start-up is read afresh") << LoadCase{
            Palace::StoredAfterStart, false, 1, Setup::None, {}, {}, bagA, {}, unchangedControls, false};
        QTest::newRow("Latin-1 name: that bag is loaded")
            << LoadCase{Palace::Stored,    false, 1, Setup::Latin1, {}, {}, Form1Harness::latin1Bag, {},
                        unchangedControls, false};
        const QString lose =
            permanentDeleteQuestion("palace.prp", QString::fromLocal8Bit(std::strerror(ENOTDIR)));
        QTest::newRow("no trash, Yes: loaded") << LoadCase{Palace::Stored,
                                                           false,
                                                           0,
                                                           Setup::None,
                                                           {no, ok, yes, ok},
                                                           {question, finalQuestion, lose, loaded},
                                                           bagA,
                                                           {},
                                                           unchangedControls,
                                                           false,
                                                           true};
        QTest::newRow("no trash, No: nothing copied, no success") << LoadCase{
            Palace::Stored,    false, 0,   Setup::None, {no, ok, no}, {question, finalQuestion, lose}, {}, {},
            unchangedControls, false, true};
        QTest::newRow("no trash, safety off: asked all the same") << LoadCase{
            Palace::Stored, false, 1, Setup::None, {yes}, {lose}, bagA, {}, unchangedControls, false, true};
    }

    void outcomes() {
        QFETCH(LoadCase, c);
        Form1Harness::setHomeTrashUsable(!c.noTrash);
        Form1Harness scene(c.palace);
        scene.client.running = c.clientRunning;
        if (c.setup == Setup::Latin1)
            scene.writeRawBag(Form1Harness::latin1Bag);
        const QString selected =
            c.setup == Setup::Latin1 ? Form1Harness::latin1Shown : QStringLiteral("a.prp");
        Form1Probe f = scene.open(selected);
        if (c.dsr != 0)
            f.menDSR->trigger(); // safety requests off, as the user turns them off
        QCOMPARE(f.DSR, c.dsr);
        scene.sneakBagIn();
        if (c.setup == Setup::BagGone)
            QVERIFY(QFile::remove(scene.bagPath(QStringLiteral("a.prp"))));

        const bool liveHere = c.palace == Palace::NotStored || c.palace == Palace::NotStoredLiveHere;
        DirectoryContents expectedProgram = scene.programFiles();
        DirectoryContents expectedPalace = scene.palaceFiles();
        DirectoryContents expectedCurrent = scene.currentDirFiles();
        if (!c.savedAs.isEmpty())
            expectedProgram.insert(c.savedAs, Form1Harness::liveBytes);
        if (!c.liveAfter.isNull())
            (liveHere ? expectedCurrent : expectedPalace).insert(QStringLiteral("palace.prp"), c.liveAfter);

        for (const Reply& reply : c.replies) {
            if (reply.isText)
                scene.prompter.answerText(reply.text);
            else
                scene.prompter.answerMessage(reply.code);
        }
        QTest::mouseClick(f.Command1, Qt::LeftButton);

        const QString liveFile =
            c.palace == Palace::DirectoryGone
                ? scene.palaceDir.filePath(QStringLiteral("gone")) + QStringLiteral("/palace.prp")
            : liveHere ? QStringLiteral("palace.prp")
                       : scene.livePath();
        const QString loadError = loadFailure(scene.bagPath(QStringLiteral("a.prp")), liveFile,
                                              QString::fromLocal8Bit(std::strerror(ENOENT)));
        QStringList prompts = c.prompts;
        prompts.replaceInStrings(loadErrorMarker, loadError);
        prompts.replaceInStrings(
            settingsErrorMarker,
            messageRequest(QStringLiteral("Load Error"), 16,
                           QStringLiteral("Could not read the settings file %1.\r%2")
                               .arg(IniFileSettingsStore::fileOf(QStringLiteral("Stowbox")),
                                    QString::fromLocal8Bit(std::strerror(EISDIR)))));

        scene.checkOutcome({.prompts = prompts,
                            .clientCalls = 1,
                            .programFiles = expectedProgram,
                            .palaceFiles = expectedPalace,
                            .currentDirFiles = expectedCurrent,
                            .controls = c.controlsAfter,
                            .refreshed = c.refreshed,
                            .selfile = selected});
        if (QTest::currentTestFailed())
            return;
        if (!c.clientRunning)
            QCOMPARE(f.Selpath, liveHere ? QString() : QString(liveFile).chopped(int(qstrlen("palace.prp"))));
    }

    void theSameBagLoadsAgainAtOnce() {
        Form1Harness scene(Palace::Stored);
        Form1Probe f = scene.open(QStringLiteral("a.prp"));
        for (int round = 0; round < 2; ++round) {
            writeFile(scene.livePath(), "changed by the client");
            scene.prompter.answerMessage(Pressed::No);
            scene.prompter.answerMessage(Pressed::Ok);
            scene.prompter.answerMessage(Pressed::Ok);
            QTest::mouseClick(f.Command1, Qt::LeftButton);
            QCOMPARE(readFile(scene.livePath()), Form1Harness::bagABytes);
            QVERIFY(f.Command1->isEnabled());
        }
        QCOMPARE(scene.prompter.requests.size(), 6);
        QCOMPARE(scene.prompter.unexpected, QStringList());
    }

    // The offered save asks nothing about the client: it is asked once, before anything else.
    void theClientIsAskedOnceAndFirst() {
        Form1Harness scene(Palace::Stored);
        Form1Probe f = scene.open(QStringLiteral("a.prp"));
        scene.prompter.whileOpen = [&](const FakePrompter::Request&) { scene.client.running = true; };
        scene.prompter.answerMessage(Pressed::Yes);
        scene.prompter.answerText(QStringLiteral("keep"));
        scene.prompter.answerMessage(Pressed::Ok);
        scene.prompter.answerMessage(Pressed::Ok);
        QTest::mouseClick(f.Command1, Qt::LeftButton);
        QCOMPARE(scene.client.calls, 1);
        QCOMPARE(readFile(scene.bagPath(QStringLiteral("keep.prp"))), Form1Harness::liveBytes);
        QCOMPARE(readFile(scene.livePath()), Form1Harness::bagABytes);
    }
};

QTEST_MAIN(LoadTest)
#include "tst_load.moc"
