#include "WindowModel.h"
#include "app/mainwindow/BagList.h"
#include "settings/SettingsStore.h"
#include "support/Form1Harness.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSet>
#include <QWindow>
#include <QtTest>

// Thousands of random sequences of user events on the real main window, each step checked against
// the reference model: controls, indicator, Selfile, list, prompts (and the controls while each is
// open), and every file in the program and Palace directories.
// STOWBOX_MODEL_SEED=<n> replays a run; the seed is printed with every failure and with the figures.

namespace {

// Bounds: a run stops at whichever comes first.
constexpr int maxSequences = 3000;
constexpr qint64 timeBudgetMs = 40000;
constexpr int maxStepsPerSequence = 30;

const QStringList bagPool = {"a.prp", "b.prp", "c.prp", "d.prp"};
const QStringList unusableNames = {"x/y", "../escape"};

struct WeightedAction {
    Action action;
    int weight;
    const char* name;
};

const WeightedAction actionTable[] = {
    {Action::Select, 22, "select"},
    {Action::Background, 5, "background"},
    {Action::Save, 12, "save"},
    {Action::Load, 18, "load"},
    {Action::MenuDelete, 6, "delete"},
    {Action::DeleteKey, 7, "Del key"},
    {Action::Rename, 8, "rename"},
    {Action::MenuSafety, 4, "safety item"},
    {Action::SafetyKey, 4, "F2"},
    {Action::StartPalace, 3, "start palace"},
    {Action::About, 1, "about"},
    {Action::ClientToggle, 5, "client toggles"},
    {Action::BagAppears, 3, "bag appears"},
    {Action::BagVanishes, 3, "bag vanishes"},
};

// Every prompt the model can expect must turn up in a full run, or the generator is not reaching it.
const QStringList titlesEveryRunShows = {
    "Error",
    "Prop File Name",
    "ERROR",
    "File Load Confirmation",
    "Final Load Confirm",
    "Load Successful",
    "Load Error",
    "Confirm File Delete",
    "Delete Error",
    "Rename Prop File",
    "Rename Error",
    "Run Palace Confirmation",
    "About STX",
};

Availability availabilityOf(const Form1Probe& f) {
    return {f.Command1->isEnabled(), f.Command2->isEnabled(), f.File1->isEnabled(), f.menDelete->isEnabled(),
            f.menRename->isEnabled()};
}

QString describe(const Availability& a) {
    return QStringLiteral("load %1 save %2 list %3 delete %4 rename %5")
        .arg(a.load)
        .arg(a.save)
        .arg(a.list)
        .arg(a.del)
        .arg(a.ren);
}

QString describe(const Step& s) {
    QString text =
        QString::fromLatin1(std::find_if(std::begin(actionTable), std::end(actionTable), [&](auto& w) {
                                return w.action == s.action;
                            })->name);
    switch (s.action) {
    case Action::Select:
    case Action::BagVanishes:
    case Action::BagAppears:
        return text + QLatin1Char(' ') + s.name;
    case Action::Save:
        return text + QStringLiteral(" typed '%1'%2").arg(s.typed, s.wrongPath ? " wrong path" : "");
    case Action::Load:
        return text + QStringLiteral(" save first %1 typed '%2' confirm %3%4")
                          .arg(s.saveFirst)
                          .arg(s.typed)
                          .arg(s.confirm)
                          .arg(s.wrongPath ? " wrong path" : "");
    case Action::Rename:
        return text + QStringLiteral(" typed '%1'").arg(s.typed);
    case Action::MenuDelete:
        return text + QStringLiteral(" confirm %1").arg(s.confirm);
    case Action::DeleteKey:
        return text + QStringLiteral(" confirm %1 modifiers %2%3")
                          .arg(s.confirm)
                          .arg(s.modifiers.toInt(), 0, 16)
                          .arg(s.awayFromList ? " away from the list" : "");
    case Action::StartPalace:
        return text + QStringLiteral(" confirm %1 fails %2").arg(s.confirm).arg(s.startFails);
    default:
        return text;
    }
}

class StepGenerator {
public:
    explicit StepGenerator(quint32 seed) : rng_(seed) {}

    Step next(const WindowModel& m) {
        Step s;
        s.action = pickAction();
        s.typed = typedName(m);
        s.saveFirst = rng_.bounded(2) == 0;
        s.confirm = rng_.bounded(10) < 7;
        s.startFails = rng_.bounded(5) == 0;
        const bool usesPalaceDirectory =
            s.action == Action::Save || s.action == Action::Load || s.action == Action::StartPalace;
        s.wrongPath = usesPalaceDirectory && rng_.bounded(10) == 0;
        const Qt::KeyboardModifiers modifiers[] = {Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier,
                                                   Qt::ControlModifier};
        s.modifiers = modifiers[rng_.bounded(4)];
        s.awayFromList = rng_.bounded(3) == 0;
        if (s.action == Action::Select) {
            if (m.shown.isEmpty())
                s.action = Action::Background;
            else if (!m.highlighted.isEmpty() && rng_.bounded(3) == 0)
                s.name = m.highlighted; // a click on the entry that is already selected
            else
                s.name = m.shown[bounded(m.shown.size())];
        } else if (s.action == Action::BagAppears) {
            s.name = bagPool[bounded(bagPool.size())];
            s.typed = QStringLiteral("written outside %1").arg(rng_.generate());
        } else if (s.action == Action::BagVanishes) {
            if (m.bags.isEmpty())
                s.action = Action::Background;
            else if (m.bags.contains(m.selfile) && rng_.bounded(2) == 0)
                s.name = m.selfile;
            else
                s.name = m.bags.keys()[bounded(m.bags.size())];
        }
        return s;
    }

    QByteArray contents(const QString& name) {
        return (name + QStringLiteral(" %1").arg(rng_.generate())).toUtf8();
    }
    bool coin() { return rng_.bounded(2) == 0; }
    int bounded(qsizetype limit) { return static_cast<int>(rng_.bounded(static_cast<quint32>(limit))); }

private:
    Action pickAction() {
        int total = 0;
        for (const auto& w : actionTable)
            total += w.weight;
        int roll = bounded(total);
        for (const auto& w : actionTable) {
            if (roll < w.weight)
                return w.action;
            roll -= w.weight;
        }
        return Action::Select;
    }

    // Mostly names of the pool (so bags get replaced), sometimes the selected bag's own name,
    // a cancelled prompt, or a name that cannot be a file of the program directory.
    QString typedName(const WindowModel& m) {
        const int roll = bounded(10);
        if (roll < 6)
            return QFileInfo(bagPool[bounded(bagPool.size())]).completeBaseName();
        if (roll == 6 && !m.selfile.isEmpty())
            return QFileInfo(m.selfile).completeBaseName();
        if (roll == 9)
            return unusableNames[bounded(unusableNames.size())];
        return {};
    }

    QRandomGenerator rng_;
};

struct Figures {
    int sequences = 0;
    int steps = 0;
    int prompts = 0;
    QSet<QString> titles;
};

} // namespace

class ModelTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> root_;
    QList<std::pair<const char*, QByteArray>> savedEnvironment_;

    QString runSequence(StepGenerator& gen, Figures& figures, QStringList& trace);
    void perform(Form1Harness& h, const Form1Probe& f, const Step& s);
    QString compare(Form1Harness& h, const Form1Probe& f, const WindowModel& m,
                    const QList<ExpectedPrompt>& expected, const QList<Availability>& during);

private slots:
    void initTestCase() {
        // Every copy and every settings write is synced; on a memory file system that costs nothing,
        // which keeps the run short. The harness's directories go into root_, so a name that escaped
        // them would be seen there; the test's own settings file and trash move there as well.
        const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                                                : QDir::tempPath();
        root_ = std::make_unique<QTemporaryDir>(base + QStringLiteral("/stowbox-model-XXXXXX"));
        QVERIFY(root_->isValid());
        for (const char* name : {"TMPDIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
            savedEnvironment_.append({name, qgetenv(name)});
        for (const char* name : {"config", "dirs", "data"})
            QVERIFY(QDir(root_->path()).mkdir(QString::fromLatin1(name)));
        qputenv("XDG_CONFIG_HOME", root_->filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", root_->filePath(QStringLiteral("data")).toLocal8Bit());
        qputenv("TMPDIR", root_->filePath(QStringLiteral("dirs")).toLocal8Bit());
    }

    void cleanupTestCase() {
        for (const auto& [name, value] : savedEnvironment_)
            qputenv(name, value);
        root_.reset();
    }

    void randomSequencesAgreeWithTheModel() {
        bool seedGiven = false;
        const quint32 seed =
            static_cast<quint32>(qEnvironmentVariableIntValue("STOWBOX_MODEL_SEED", &seedGiven));
        const quint32 runSeed = seedGiven ? seed : QRandomGenerator::system()->generate();
        StepGenerator gen(runSeed);
        Figures figures;
        QElapsedTimer clock;
        clock.start();
        while (figures.sequences < maxSequences && clock.elapsed() < timeBudgetMs) {
            QStringList trace;
            const QString fault = runSequence(gen, figures, trace);
            if (!fault.isEmpty()) {
                QFAIL(qPrintable(QStringLiteral("seed %1, sequence %2, after steps:\n  %3\n%4")
                                     .arg(runSeed)
                                     .arg(figures.sequences)
                                     .arg(trace.join(QStringLiteral("\n  ")), fault)));
            }
            ++figures.sequences;
        }
        qInfo("model: %d sequences, %d steps, %d prompts checked in %lld ms (seed %u)", figures.sequences,
              figures.steps, figures.prompts, clock.elapsed(), runSeed);
        if (figures.sequences >= 500) {
            for (const QString& title : titlesEveryRunShows)
                QVERIFY2(figures.titles.contains(title), qPrintable("never reached: " + title));
        }
    }
};

QString ModelTest::runSequence(StepGenerator& gen, Figures& figures, QStringList& trace) {
    Form1Harness h;
    h.storePalaceDirectory();
    WindowModel m;
    for (const QString& name : bagPool) {
        if (gen.coin()) {
            m.bags[name] = gen.contents(name);
            writeFile(h.bagPath(name), m.bags[name]);
        }
    }
    m.live = gen.contents(QStringLiteral("live"));
    writeFile(h.livePath(), m.live);
    m.refresh();

    Form1Probe f = h.start();
    QList<Availability> during; // the controls while each prompt is open
    h.prompter.whileOpen = [&](const FakePrompter::Request&) { during.append(availabilityOf(f)); };
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        QTest::ignoreMessage(QtWarningMsg, "This plugin does not support propagateSizeHints()");
    f.form.show();
    if (!QTest::qWaitForWindowActive(&f.form))
        return QStringLiteral("the main window never became active");
    f.File1->setFocus();

    QString fault = compare(h, f, m, {}, during);
    const int steps = 1 + gen.bounded(maxStepsPerSequence);
    for (int i = 0; i < steps && fault.isEmpty(); ++i) {
        const Step s = gen.next(m);
        trace << describe(s);
        const QList<ExpectedPrompt> expected = m.apply(s);
        h.prompter.clear();
        during.clear();
        for (const ExpectedPrompt& p : expected) {
            if (p.input)
                h.prompter.answerText(p.typed);
            else
                h.prompter.answerMessage(p.answer);
        }
        h.client.running = m.clientRunning;
        h.starter.succeeds = !s.startFails;
        perform(h, f, s);
        fault = compare(h, f, m, expected, during);
        ++figures.steps;
        figures.prompts += static_cast<int>(expected.size());
        for (const FakePrompter::Request& r : std::as_const(h.prompter.requests))
            figures.titles.insert(r.title);
    }
    return fault;
}

void ModelTest::perform(Form1Harness& h, const Form1Probe& f, const Step& s) {
    QWindow* window = f.form.windowHandle();
    const auto click = [&](QWidget* widget, QPoint at) {
        QTest::mouseClick(window, Qt::LeftButton, {}, widget->mapTo(&f.form, at));
    };
    if (s.wrongPath)
        h.settings.saveSetting(PalacePathSetting::application, PalacePathSetting::section,
                               PalacePathSetting::key,
                               root_->filePath(QStringLiteral("dirs/gone")) + QDir::separator());
    switch (s.action) {
    case Action::Select: {
        const int row = static_cast<int>(f.bagNames().indexOf(s.name));
        const QRect entry = f.File1->visualRect(f.File1->model()->index(row, 0));
        click(f.File1->viewport(), entry.center());
        break;
    }
    case Action::Background:
        click(f.form.centralWidget(), QPoint(8, 80)); // left of the list, above the strip
        break;
    case Action::Save:
        click(f.Command2, f.Command2->rect().center());
        break;
    case Action::Load:
        click(f.Command1, f.Command1->rect().center());
        break;
    case Action::StartPalace:
        click(f.Command3, f.Command3->rect().center());
        break;
    case Action::MenuDelete:
        if (f.menDelete->isEnabled())
            f.menDelete->trigger();
        break;
    case Action::DeleteKey:
        QTest::keyClick(s.awayFromList ? static_cast<QWidget*>(f.Command3) : f.File1, Qt::Key_Delete,
                        s.modifiers);
        break;
    case Action::Rename:
        if (f.menRename->isEnabled())
            f.menRename->trigger();
        break;
    case Action::MenuSafety:
        f.menDSR->trigger();
        break;
    case Action::SafetyKey:
        QTest::keyClick(f.File1, Qt::Key_F2);
        break;
    case Action::About:
        f.menuStx->trigger();
        break;
    case Action::ClientToggle:
        break;
    case Action::BagAppears:
        writeFile(h.bagPath(s.name), s.typed.toUtf8());
        break;
    case Action::BagVanishes:
        QFile::remove(h.bagPath(s.name));
        break;
    }
    if (s.wrongPath)
        h.storePalaceDirectory();
}

QString ModelTest::compare(Form1Harness& h, const Form1Probe& f, const WindowModel& m,
                           const QList<ExpectedPrompt>& expected, const QList<Availability>& during) {
    QStringList faults;
    const auto check = [&](bool ok, const QString& what) {
        if (!ok)
            faults << what;
    };
    const Availability real = availabilityOf(f);
    check(real == m.controls, "controls: " + describe(real) + ", model: " + describe(m.controls));
    check(f.DSR == (m.dsr ? 1 : 0), QStringLiteral("DSR %1").arg(f.DSR));
    check(f.menDSR->isChecked() == m.dsr, QStringLiteral("check mark %1").arg(f.menDSR->isChecked()));
    check(f.Picture1->isVisible() == !m.dsr && f.Picture2->isVisible() == m.dsr,
          QStringLiteral("lamps: on-image %1 off-image %2")
              .arg(f.Picture1->isVisible())
              .arg(f.Picture2->isVisible()));
    check(f.Label1->text() == (m.dsr ? QStringLiteral("Safety Off") : QStringLiteral("Safety On")),
          "label " + f.Label1->text());
    check(f.Selfile == m.selfile, "Selfile '" + f.Selfile + "', model '" + m.selfile + "'");
    check(f.bagNames() == m.shown, "list " + f.bagNames().join(',') + ", model " + m.shown.join(','));
    check(f.File1->selectedName() == m.highlighted,
          "selected entry '" + f.File1->selectedName() + "', model '" + m.highlighted + "'");
    check(h.starter.started.size() == m.starts,
          QStringLiteral("%1 client starts").arg(h.starter.started.size()));

    const QList<FakePrompter::Request>& got = h.prompter.requests;
    const QStringList gotLines = describe(got);
    QStringList expectedLines;
    for (const ExpectedPrompt& p : expected)
        expectedLines << (p.line.isEmpty() ? QStringLiteral("a report \"%1\" style %2 naming \"%3\"")
                                                 .arg(p.title)
                                                 .arg(p.style)
                                                 .arg(p.names)
                                           : p.line);
    check(got.size() == expected.size(),
          "prompts:\n  " + gotLines.join("\n  ") + "\nmodel:\n  " + expectedLines.join("\n  "));
    for (qsizetype i = 0; i < qMin(got.size(), expected.size()); ++i) {
        const FakePrompter::Request& r = got[i];
        const ExpectedPrompt& p = expected[i];
        const QString which = QStringLiteral("prompt %1: ").arg(i);
        const bool matches = p.line.isEmpty()
                                 ? r.kind == FakePrompter::Request::Message && r.title == p.title &&
                                       r.style == p.style && r.text.contains(p.names)
                                 : gotLines[i] == p.line;
        check(matches, which + gotLines[i] + "\nmodel: " + expectedLines[i]);
        check(during[i] == p.during,
              which + "controls while open: " + describe(during[i]) + ", model: " + describe(p.during));
    }
    check(h.prompter.unexpected.isEmpty(), "unscripted prompts: " + h.prompter.unexpected.join(", "));
    check(h.prompter.unusedAnswers() == 0,
          QStringLiteral("%1 scripted answers unused").arg(h.prompter.unusedAnswers()));

    const auto everything = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    const QStringList programFiles = QDir(h.programDir.path()).entryList(everything, QDir::Name);
    check(programFiles == QStringList(m.bags.keys()),
          "program directory [" + programFiles.join(',') + "], model [" + m.bags.keys().join(',') + "]");
    for (const QString& name : programFiles)
        check(readFile(h.bagPath(name)) == m.bags.value(name), name + " holds other bytes");
    const QStringList palaceFiles = QDir(h.palaceDir.path()).entryList(everything);
    check(palaceFiles == QStringList{QStringLiteral("palace.prp")},
          "Palace directory [" + palaceFiles.join(',') + "]");
    check(readFile(h.livePath()) == m.live, "palace.prp holds other bytes");
    check(QDir(root_->path()).entryList(everything).size() == 3,
          "a file was written beside the test's own folders");
    return faults.join(QLatin1Char('\n'));
}

QTEST_MAIN(ModelTest)
#include "tst_model.moc"
