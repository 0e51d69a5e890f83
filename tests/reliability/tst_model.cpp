#include "WindowModel.h"
#include "app/mainwindow/BagList.h"
#include "cli/CommandLine.h"
#include "platform/files/PosixFileSystem.h"
#include "settings/SettingsStore.h"
#include "support/Form1Harness.h"
#include "support/PrivateMounts.h"
#include "support/RemoveTree.h"

#include <QAction>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSet>
#include <QWindow>
#include <QtTest>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>
#include <utility>

// Thousands of random sequences of user events on the real main window, each step checked against
// the reference model: controls, indicator, Selfile, list, prompts (and the controls while each is
// open), and every file in the program and Palace directories. Beside it, a ledger of every version of
// every file that a save, load, delete, rename or restore touched: after each step each one is still in a
// bag, in palace.prp, or in a trash whose Path= names a place it lived (what a step displaced, under the
// place it displaced it from), unless the user agreed to lose a file; no trash holds two entries of one path
// with the same bytes, nor half an entry. Another running copy restores versions, as history numbers them,
// and now and then a second one the same version at the same moment: one of them gets it, the other finds
// it gone.
// Sequences meet what loses files: names of 1 to 255 bytes and names that are not valid text, a trash
// already holding a thousand entries of one name, bags on a file system of their own (whose own trash may
// be unusable), a home trash that takes nothing, and another program writing the file a step replaces or
// removes, or copying onto the same bag, at that very moment.
// STOWBOX_MODEL_SEED=<n> replays a run; the seed is printed with every failure and with the figures, as is
// the smallest failing sequence found by dropping steps.

namespace {

// Bounds: a run stops at whichever comes first.
constexpr int maxSequences = 3000;
constexpr qint64 timeBudgetMs = 40000;
constexpr int maxStepsPerSequence = 30;

const QStringList bagPool = {"a.prp", "b.prp", "c.prp", "d.prp"};
const QStringList unusableNames = {"x/y", "../escape"};
// The longest file names in ASCII and in CJK (three bytes a character), and the shortest.
const QStringList oddNames = {QString(251, QLatin1Char('l')), QString(81, QChar(0x5B9D)),
                              QStringLiteral("q")};
// Bags written from outside under names that are not valid text; the second one is 255 bytes long.
const QList<QByteArray> rawNames = {"caf\xe9.prp", "\xff" + QByteArray(250, 'n') + ".prp"};
constexpr int prefilledEntries = 1001;

// A bag's name as the file system spells it.
QByteArray onDisk(const QString& shown) {
    for (const QByteArray& raw : rawNames)
        if (QFile::decodeName(raw) == shown)
            return raw;
    return QFile::encodeName(shown);
}

QByteArray bytesAt(const QByteArray& path) {
    QByteArray bytes;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    char buffer[4096];
    for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, n);
    if (fd >= 0)
        ::close(fd);
    return fd < 0 ? QByteArray() : bytes;
}

void writeAt(const QByteArray& path, const QByteArray& bytes, int flags = O_CREAT | O_TRUNC) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CLOEXEC | flags, 0600);
    if (fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) >= 0)
        ::close(fd);
}

QByteArray hashOf(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex().left(12);
}

// Exact name -> bytes of every entry of a folder.
QMap<QByteArray, QByteArray> filesIn(const QByteArray& folder) {
    QMap<QByteArray, QByteArray> files;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* entry = ::readdir(dir))
            if (qstrcmp(entry->d_name, ".") != 0 && qstrcmp(entry->d_name, "..") != 0)
                files.insert(entry->d_name, bytesAt(folder + '/' + entry->d_name));
        ::closedir(dir);
    }
    return files;
}

QByteArray infoField(const QByteArray& info, const QByteArray& key) {
    const qsizetype at = info.indexOf('\n' + key + '=');
    const qsizetype from = at + key.size() + 2;
    return at < 0 ? QByteArray()
                  : QByteArray::fromPercentEncoding(info.mid(from, info.indexOf('\n', from) - from));
}

// One whole entry of a trash.
struct Kept {
    QByteArray can;
    QByteArray name;
    QByteArray path; // what its Path= names, made absolute
    QByteArray date;
    qint64 written = 0; // when its info was written, in nanoseconds
    QByteArray bytes;
};

struct TrashContents {
    QList<Kept> entries;
    QStringList faults;
};

QSet<QByteArray> namesIn(const QByteArray& folder) {
    QSet<QByteArray> names;
    DIR* dir = ::opendir(folder.constData());
    while (const dirent* entry = dir ? ::readdir(dir) : nullptr)
        if (qstrcmp(entry->d_name, ".") != 0 && qstrcmp(entry->d_name, "..") != 0)
            names.insert(entry->d_name);
    if (dir)
        ::closedir(dir);
    return names;
}

// The entries of a can but those the test put there: a half entry is a fault, and so are two entries of
// one path that hold the same bytes, which the trash keeps once, unless another program wrote those bytes in
// place while the file was being kept (its writes reach the entry, a link to the file, after it was
// compared).
TrashContents contentsOf(const QByteArray& can, const QByteArray& top, const QSet<QByteArray>& setUp,
                         const QSet<QByteArray>& writtenOutside) {
    TrashContents contents;
    QHash<QByteArray, QByteArray> seen; // path and hash -> entry
    const QSet<QByteArray> files = namesIn(can + "/files");
    for (const QByteArray& info : namesIn(can + "/info"))
        if (const QByteArray name = info.chopped(10); !setUp.contains(name) && !files.contains(name))
            contents.faults << "an info without its file in " + QFile::decodeName(can + ": " + name);
    for (const QByteArray& name : files) {
        if (setUp.contains(name))
            continue;
        const QByteArray infoPath = can + "/info/" + name + ".trashinfo";
        const QByteArray info = bytesAt(infoPath);
        const QByteArray path = infoField(info, "Path");
        struct stat written {};
        if (path.isEmpty() || ::stat(infoPath.constData(), &written) != 0) {
            contents.faults << "a file without its info in " + QFile::decodeName(can + ": " + name);
            continue;
        }
        const Kept kept{can,
                        name,
                        path.startsWith('/') ? path : top + '/' + path,
                        infoField(info, "DeletionDate"),
                        written.st_mtim.tv_sec * 1000000000LL + written.st_mtim.tv_nsec,
                        bytesAt(can + "/files/" + name)};
        const QByteArray key = kept.path + '\0' + hashOf(kept.bytes);
        if (seen.contains(key) && !writtenOutside.contains(hashOf(kept.bytes)))
            contents.faults << "two entries of " + QFile::decodeName(kept.path).right(60) +
                                   " hold the same bytes: " + QFile::decodeName(seen[key] + ", " + name);
        seen.insert(key, name);
        contents.entries.append(kept);
    }
    return contents;
}

// The versions of the file at path, newest first, as history numbers them; the trash's clock may not tell
// some apart.
bool newer(const Kept& a, const Kept& b) {
    return std::tie(a.date, a.written) > std::tie(b.date, b.written);
}

QList<Kept> versionsOf(const QList<Kept>& entries, const QByteArray& path) {
    QList<Kept> versions;
    std::copy_if(entries.cbegin(), entries.cend(), std::back_inserter(versions),
                 [&](const Kept& e) { return e.path == path; });
    std::sort(versions.begin(), versions.end(), newer);
    return versions;
}

// In a copy of the program that races the window: says when it is about to wait for a lock, which the
// window may hold, so that the window goes on meanwhile; where it is held back, it waits to be let go first.
class LockReporter : public PosixFileSystem {
public:
    int flock(int fd, int operation) override {
        char go = 0;
        if ((operation & LOCK_NB) == 0 && ::write(reportFd, "L", 1) >= 0)
            (void)!::read(holdFd, &go, 1);
        return PosixFileSystem::flock(fd, operation);
    }
    static constexpr int reportFd = 3;
    static constexpr int holdFd = 4; // closed unless held back: then the window closes the other end
};

// Another running copy of the program does its work and exits with what the work returns; this returns once
// it has finished or waits for a lock. Everything but the report pipe (and the hold, given held) is closed in
// it, so it shares no lock with the window; held gets the end that lets it go to its locks when closed.
pid_t startRival(const std::function<int(FileSystem&)>& work, int* held = nullptr) {
    int report[2];
    int hold[2] = {-1, -1};
    if (::pipe(report) != 0 || (held && ::pipe(hold) != 0))
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGPIPE, SIG_IGN);
        ::dup2(report[1], LockReporter::reportFd);
        if (held)
            ::dup2(hold[0], LockReporter::holdFd);
        ::close_range(held ? LockReporter::holdFd + 1 : LockReporter::reportFd + 1, ~0U, 0);
        LockReporter fs;
        ::_exit(work(fs));
    }
    ::close(report[1]);
    if (held) {
        ::close(hold[0]);
        *held = hold[1];
    }
    char said = 0;
    while (child > 0 && ::read(report[0], &said, 1) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    return child;
}

// `stowbox restore ...` as another running copy of the program gives it, on the window's files.
StepResult restoreByCommand(FileSystem& fs, Form1Harness& h, const QList<QByteArray>& arguments) {
    TrashedSteps steps(fs);
    BagStore bags(fs, steps.steps, QFile::encodeName(h.programDir.path()));
    IniFileSettingsStore settings(fs);
    CommandLine command({settings, bags, h.client, h.starter, fs, {}, true});
    return command.restore(CommandRequest::parse(arguments).value);
}

// What a restore came to, as one copy's exit status says it.
enum Outcome { Restored, NotThere, Refused, Failed };
const char* const outcomeNames[] = {"restored it", "found it gone", "was refused", "failed"};

int outcomeOf(const StepResult& result) {
    return result.ok()                             ? Restored
           : result.is(StepResult::Kind::NotThere) ? NotThere
           : result.is(StepResult::Kind::InUse)    ? Refused
                                                   : Failed;
}

// What a sequence starts from, so that it can be played again with fewer steps.
struct Setup {
    bool mounted = false;           // the program and Palace directories on a tmpfs of their own
    bool mountTrashBlocked = false; // ... whose own trash cannot be made
    bool homeTrashBroken = false;   // a file in the home trash's place
    QByteArray prefilled;           // the name a thousand trash entries already carry
    // Half entries that another program left in the trash under names a step will want: a file without its
    // info (true) or an info without its file. They are never to be touched.
    QMap<QByteArray, bool> strays;
    QMap<QString, QByteArray> bags;
    QByteArray live;
};

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
    {Action::Restore, 8, "restore"},
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
    "Delete Permanently",
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

// What a step that may lose a file meets, and the answer it would give.
QString loss(const Step& s) {
    return QStringLiteral(" permanent %1%2")
        .arg(s.permanent)
        .arg(s.meddle ? ", meddled by " + s.name : QString());
}

QString describe(const Setup& setup) {
    return QStringLiteral(
               "setup: bags %1, mounted %2, its trash blocked %3, home trash broken %4, prefilled '%5'")
               .arg(QStringList(setup.bags.keys()).join(','))
               .arg(setup.mounted)
               .arg(setup.mountTrashBlocked)
               .arg(setup.homeTrashBroken)
               .arg(QString::fromLatin1(setup.prefilled)) +
           QStringLiteral(", strays '%1'")
               .arg(QString::fromLatin1(QByteArrayList(setup.strays.keys()).join(',')));
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
        return text + QStringLiteral(" typed '%1'%2").arg(s.typed, s.wrongPath ? " wrong path" : "") +
               loss(s);
    case Action::Load:
        return text +
               QStringLiteral(" save first %1 typed '%2' confirm %3%4")
                   .arg(s.saveFirst)
                   .arg(s.typed)
                   .arg(s.confirm)
                   .arg(s.wrongPath ? " wrong path" : "") +
               loss(s);
    case Action::Rename:
        return text + QStringLiteral(" typed '%1'").arg(s.typed) + loss(s);
    case Action::MenuDelete:
        return text + QStringLiteral(" confirm %1").arg(s.confirm) + loss(s);
    case Action::DeleteKey:
        return text +
               QStringLiteral(" confirm %1 modifiers %2%3")
                   .arg(s.confirm)
                   .arg(s.modifiers.toInt(), 0, 16)
                   .arg(s.awayFromList ? " away from the list" : "") +
               loss(s);
    case Action::StartPalace:
        return text + QStringLiteral(" confirm %1 fails %2").arg(s.confirm).arg(s.startFails);
    case Action::Restore:
        return text + QStringLiteral(" %1 version %2%3%4")
                          .arg(s.name.isEmpty() ? QStringLiteral("palace.prp") : s.name,
                               s.number ? QString::number(s.number) : QStringLiteral("one past the last"),
                               s.typed.isEmpty() ? QString() : " as " + s.typed,
                               !s.meddle                  ? QString()
                               : s.rival == Rival::First  ? QStringLiteral(", and another copy first")
                               : s.rival == Rival::Second ? QStringLiteral(", and another copy second")
                                                          : QStringLiteral(", and another copy alongside"));
    default:
        return text;
    }
}

class StepGenerator {
public:
    explicit StepGenerator(quint32 seed) : rng_(seed) {}

    Step next(const WindowModel& m) {
        if (!queued_.isEmpty())
            return queued_.takeFirst();
        Step s;
        s.action = pickAction();
        if (s.action == Action::Load && !m.shown.isEmpty() && bounded(3) == 0)
            return switchBetweenBags(m);
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
        s.permanent = coin();
        const bool touches = s.action == Action::Save || s.action == Action::Load ||
                             s.action == Action::Rename || s.action == Action::MenuDelete ||
                             s.action == Action::DeleteKey;
        // Load's offered save reads palace.prp, which its meddler writes to: that save fails, as it should.
        s.meddle = touches && rng_.bounded(5) == 0 && !(s.action == Action::Load && s.saveFirst && !m.dsr);
        if (s.meddle)
            s.name = QStringLiteral("rival %1").arg(rng_.generate()); // what a rival copy writes
        if (s.action == Action::Select) {
            if (m.shown.isEmpty())
                s.action = Action::Background;
            else if (!m.highlighted.isEmpty() && rng_.bounded(3) == 0)
                s.name = m.highlighted; // a click on the entry that is already selected
            else
                s.name = m.shown[bounded(m.shown.size())];
        } else if (s.action == Action::BagAppears) {
            const int pick = bounded(bagPool.size() + oddNames.size() + rawNames.size());
            s.name = pick < bagPool.size() ? bagPool[pick]
                     : pick < bagPool.size() + oddNames.size()
                         ? oddNames[pick - bagPool.size()] + QStringLiteral(".prp")
                         : QFile::decodeName(rawNames[pick - bagPool.size() - oddNames.size()]);
            s.typed = QStringLiteral("written outside %1").arg(rng_.generate());
        } else if (s.action == Action::BagVanishes) {
            if (m.bags.isEmpty())
                s.action = Action::Background;
            else if (m.bags.contains(m.selfile) && rng_.bounded(2) == 0)
                s.name = m.selfile;
            else
                s.name = m.bags.keys()[bounded(m.bags.size())];
        } else if (s.action == Action::Restore) {
            // Mostly of palace.prp, which every load gives a version; into its place or as a bag.
            const int of = bounded(4);
            s.name = of < 2                        ? QString()
                     : of == 2 || m.bags.isEmpty() ? bagPool[bounded(bagPool.size())]
                                                   : m.bags.keys()[bounded(m.bags.size())];
            s.number = bounded(5);
            s.typed = coin() ? QString() : QFileInfo(bagPool[bounded(bagPool.size())]).completeBaseName();
            s.meddle = bounded(3) == 0;
            s.rival = Rival(bounded(3));
        }
        return s;
    }

    void startSequence() { queued_.clear(); }

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
        // Not the name of a bag that is not valid text: typed, it would name its look-alike.
        if (roll == 6 && !m.selfile.isEmpty() && !m.selfile.contains(QChar::ReplacementCharacter))
            return QFileInfo(m.selfile).completeBaseName();
        if (roll == 9)
            return unusableNames[bounded(unusableNames.size())];
        if (roll == 8)
            return oddNames[bounded(oddNames.size())];
        return {};
    }

    // The same bag loaded again and again, or two loaded in turn: palace.prp goes to the trash each time
    // with bytes it already keeps.
    Step switchBetweenBags(const WindowModel& m) {
        const QString first = m.shown[bounded(m.shown.size())];
        const QString second = coin() ? first : m.shown[bounded(m.shown.size())];
        const int loads = 2 + bounded(5);
        for (int n = 0; n < loads; ++n) {
            Step select;
            select.name = n % 2 ? second : first;
            if (n == 0 || first != second)
                queued_.append(select);
            Step load;
            load.action = Action::Load;
            load.confirm = true;
            load.permanent = coin();
            queued_.append(load);
        }
        return queued_.takeFirst();
    }

    QRandomGenerator rng_;
    QList<Step> queued_;
};

struct Figures {
    int sequences = 0;
    int steps = 0;
    int prompts = 0;
    qint64 versions = 0; // ledger entries checked, over all steps
    int mounted = 0;
    int prefilled = 0;
    int restored = 0;
    int restoredByCopy = 0; // from the home trash onto a file system of their own
    int refused = 0;        // not there, or the client runs
    int races = 0;
    int racesLost = 0; // the other copy got the version
    int keptOnce = 0;  // loads whose displaced palace.prp the trash already kept
    QSet<QString> titles;
};

bool touchesFiles(const Step& s) {
    return s.action == Action::Save || s.action == Action::Load || s.action == Action::Rename ||
           s.action == Action::MenuDelete || s.action == Action::DeleteKey || s.action == Action::Restore;
}

} // namespace

class ModelTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> root_;
    QList<std::pair<const char*, QByteArray>> savedEnvironment_;
    QString noMountReason_;

    QString path(const char* name) const { return root_->filePath(QString::fromLatin1(name)); }
    Setup makeSetup(StepGenerator& gen) const;
    QString play(const Setup& setup, QList<Step>& steps, StepGenerator* gen, int count, Figures& figures);
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
        for (const char* name : {"config", "dirs", "data", "mnt"})
            QVERIFY(QDir(root_->path()).mkdir(QString::fromLatin1(name)));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));
        qputenv("TMPDIR", QFile::encodeName(path("dirs")));
        noMountReason_ = enterPrivateMountNamespace();
        if (!noMountReason_.isEmpty())
            qInfo("no bags on a file system of their own (%s)", qPrintable(noMountReason_));
    }

    void cleanupTestCase() {
        for (const auto& [name, value] : savedEnvironment_)
            qputenv(name, value);
        removeTree(QFile::encodeName(root_->path()));
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
            const Setup setup = makeSetup(gen);
            QList<Step> steps;
            QString fault = play(setup, steps, &gen, 1 + gen.bounded(maxStepsPerSequence), figures);
            if (!fault.isEmpty()) {
                // The smallest failing sequence: each step dropped in turn, for as long as it still fails. A
                // replay that fails sooner (two copies race) ends there.
                Figures ignored;
                for (qsizetype i = steps.size() - 1; i >= 0; i = qMin(i, steps.size()) - 1) {
                    QList<Step> fewer = steps;
                    fewer.removeAt(i);
                    if (const QString still = play(setup, fewer, nullptr, 0, ignored); !still.isEmpty()) {
                        steps = fewer;
                        fault = still;
                    }
                }
                QStringList trace;
                for (const Step& s : std::as_const(steps))
                    trace << describe(s);
                QFAIL(qPrintable(
                    QStringLiteral("seed %1, sequence %2; smallest failing sequence:\n  %3\n  %4\n%5")
                        .arg(runSeed)
                        .arg(figures.sequences)
                        .arg(describe(setup), trace.join(QStringLiteral("\n  ")), fault)));
            }
            ++figures.sequences;
        }
        qInfo("model: %d sequences (%d on a file system of their own, %d with a full trash), %d steps, %d "
              "prompts and %lld versions checked in %lld ms (seed %u)",
              figures.sequences, figures.mounted, figures.prefilled, figures.steps, figures.prompts,
              figures.versions, clock.elapsed(), runSeed);
        qInfo(
            "restores: %d done (%d from the home trash onto a file system of their own, %d of %d raced ones "
            "by the other copy), %d refused; %d loads found palace.prp's bytes already kept",
            figures.restored, figures.restoredByCopy, figures.racesLost, figures.races, figures.refused,
            figures.keptOnce);
        if (figures.sequences >= 500) {
            for (const QString& title : titlesEveryRunShows)
                QVERIFY2(figures.titles.contains(title), qPrintable("never reached: " + title));
            QVERIFY2(figures.restored > 0 && figures.refused > 0 && figures.racesLost > 0 &&
                         figures.racesLost < figures.races && figures.keptOnce > 0,
                     "never reached: a restore done, refused, or won by either of two copies, or a load of "
                     "props already kept");
            QVERIFY2(figures.restoredByCopy > 0 || !noMountReason_.isEmpty(),
                     "never reached: a restore from the home trash onto a file system of its own");
        }
    }
};

Setup ModelTest::makeSetup(StepGenerator& gen) const {
    gen.startSequence();
    Setup setup;
    setup.mounted = noMountReason_.isEmpty() && gen.bounded(4) == 0;
    setup.mountTrashBlocked = setup.mounted && gen.coin();
    setup.homeTrashBroken = gen.bounded(6) == 0;
    const bool trashUsable = setup.mounted ? !setup.mountTrashBlocked : !setup.homeTrashBroken;
    if (trashUsable && gen.bounded(6) == 0)
        setup.prefilled =
            gen.coin() ? QByteArray("palace.prp") : bagPool[gen.bounded(bagPool.size())].toUtf8();
    if (trashUsable && setup.prefilled.isEmpty() && gen.bounded(4) == 0)
        for (int n = 1 + gen.bounded(4); n > 0; --n) {
            const QByteArray name =
                gen.coin() ? QByteArray("palace.prp") : bagPool[gen.bounded(bagPool.size())].toUtf8();
            setup.strays.insert(gen.coin() ? name : name + ".2", gen.coin());
        }
    for (const QString& name : bagPool)
        if (gen.coin())
            setup.bags[name] = gen.contents(name);
    setup.live = gen.contents(QStringLiteral("live"));
    return setup;
}

// Plays the given steps, or generates count of them; on a fault, steps ends with the step that found it.
QString ModelTest::play(const Setup& setup, QList<Step>& steps, StepGenerator* gen, int count,
                        Figures& figures) {
    removeTree(QFile::encodeName(path("dirs")));
    removeTree(QFile::encodeName(path("data")));
    QDir(root_->path()).mkdir(QStringLiteral("dirs"));
    QDir(root_->path()).mkdir(QStringLiteral("data"));
    const QByteArray top = QFile::encodeName(setup.mounted ? path("mnt") : path("dirs"));
    std::optional<TmpfsMount> tmpfs;
    if (setup.mounted) {
        tmpfs.emplace(QFile::decodeName(top), 16384);
        if (!tmpfs->error.isEmpty())
            return "mounting a tmpfs: " + tmpfs->error;
    }
    const QByteArray topTrash = top + "/.Trash-" + QByteArray::number(getuid());
    const QByteArray homeTrash = QFile::encodeName(path("data")) + "/Trash";
    Form1Harness::setHomeTrashUsable(!setup.homeTrashBroken);
    if (setup.mountTrashBlocked)
        writeAt(topTrash, "blocked");
    QSet<QByteArray> prefilled;
    if (!setup.prefilled.isEmpty()) {
        const QByteArray can = setup.mounted ? topTrash : homeTrash;
        for (const char* part : {"", "/files", "/info"})
            ::mkdir((can + part).constData(), 0700);
        for (int n = 0; n < prefilledEntries; ++n) {
            const QByteArray entry = n == 0 ? setup.prefilled : setup.prefilled + '.' + QByteArray::number(n);
            writeAt(can + "/info/" + entry + ".trashinfo",
                    "[Trash Info]\nPath=/elsewhere\nDeletionDate=2026-01-01T00:00:00\n");
            writeAt(can + "/files/" + entry, "elsewhere");
            prefilled.insert(entry);
        }
    }
    const QByteArray strayCan = setup.mounted ? topTrash : homeTrash;
    if (!setup.strays.isEmpty())
        for (const char* part : {"", "/files", "/info"})
            ::mkdir((strayCan + part).constData(), 0700);
    const auto strayPath = [&](const QByteArray& name, bool file) {
        return strayCan + (file ? "/files/" + name : "/info/" + name + ".trashinfo");
    };
    const QByteArray strayInfo = "[Trash Info]\nPath=/elsewhere\nDeletionDate=2026-01-01T00:00:00\n";
    for (auto it = setup.strays.cbegin(); it != setup.strays.cend(); ++it)
        writeAt(strayPath(it.key(), it.value()), it.value() ? "stray" : strayInfo);
    figures.mounted += setup.mounted;
    figures.prefilled += !prefilled.isEmpty();

    qputenv("TMPDIR", top);
    Form1Harness h;
    qputenv("TMPDIR", QFile::encodeName(path("dirs")));
    h.storePalaceDirectory();
    WindowModel m;
    m.trashTakes =
        setup.mounted ? !setup.mountTrashBlocked || !setup.homeTrashBroken : !setup.homeTrashBroken;
    m.trashCopies = setup.mounted && setup.mountTrashBlocked;
    m.bags = setup.bags;
    for (auto it = setup.bags.cbegin(); it != setup.bags.cend(); ++it)
        writeFile(h.bagPath(it.key()), it.value());
    m.live = setup.live;
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

    // The ledger: every version touched, by the hash of its bytes, with every place it lived.
    QHash<QByteArray, QSet<QByteArray>> lived;
    const QByteArray programDir = QFile::encodeName(h.programDir.path());
    const QByteArray livePath = QFile::encodeName(h.livePath());
    const auto places = [&] {
        QMap<QByteArray, QByteArray> at;
        const QMap<QByteArray, QByteArray> bags = filesIn(programDir);
        for (auto it = bags.cbegin(); it != bags.cend(); ++it)
            at.insert(programDir + '/' + it.key(), it.value());
        at.insert(livePath, bytesAt(livePath));
        return at;
    };
    const auto record = [&] {
        const QMap<QByteArray, QByteArray> at = places();
        for (auto it = at.cbegin(); it != at.cend(); ++it)
            if (!it.value().isEmpty()) // a file that is gone, or nothing yet
                lived[hashOf(it.value())].insert(it.key());
    };
    QSet<QByteArray> setUp = prefilled;
    QSet<QByteArray> writtenOutside; // hashes of what another program wrote in place
    for (auto it = setup.strays.cbegin(); it != setup.strays.cend(); ++it)
        setUp.insert(it.key());
    const auto trashes = [&] {
        TrashContents all =
            contentsOf(homeTrash, {}, setup.mounted ? QSet<QByteArray>() : setUp, writtenOutside);
        if (setup.mounted) {
            const TrashContents mount = contentsOf(topTrash, top, setUp, writtenOutside);
            all.entries += mount.entries;
            all.faults += mount.faults;
        }
        return all;
    };
    const auto keptIn = [](const TrashContents& trash) {
        QMultiHash<QByteArray, QByteArray> kept; // hash -> the path it was kept from
        for (const Kept& e : trash.entries)
            kept.insert(hashOf(e.bytes), e.path);
        return kept;
    };

    QString fault = compare(h, f, m, {}, during);
    TrashContents trash = trashes(); // as the last step left it
    for (int i = 0; fault.isEmpty() && (gen ? i < count : i < steps.size()); ++i) {
        if (gen)
            steps.append(gen->next(m));
        Step s = steps[i];
        if (s.action == Action::Select && !m.shown.contains(s.name))
            continue; // a replay without the step that listed it
        const bool touches = touchesFiles(s);
        const QByteArray target = programDir + '/' + QFile::encodeName(s.typed + QStringLiteral(".prp"));
        const QByteArray selected = programDir + '/' + onDisk(m.selfile);
        if (touches)
            record();
        const QMap<QByteArray, QByteArray> placesBefore = touches ? places() : QMap<QByteArray, QByteArray>();
        const TrashContents trashBefore = trash;
        const QMultiHash<QByteArray, QByteArray> keptBefore = keptIn(trashBefore);
        const int loadsBefore = m.loads;

        // Version n as history numbers it now, with those the trash's clock cannot tell from it.
        const QByteArray restoredFrom = s.name.isEmpty() ? livePath : programDir + '/' + onDisk(s.name);
        const QByteArray restoredTo = s.typed.isEmpty() ? restoredFrom : target;
        const bool intoLive = s.name.isEmpty() && s.typed.isEmpty();
        const QList<Kept> versions =
            s.action == Action::Restore ? versionsOf(trashBefore.entries, restoredFrom) : QList<Kept>();
        const qsizetype n =
            s.number == 0 ? versions.size() + 1 : 1 + (s.number - 1) % qMax(versions.size(), qsizetype(1));
        QList<Kept> candidates;
        for (const Kept& v : versions)
            if (n <= versions.size() && !newer(v, versions[n - 1]) && !newer(versions[n - 1], v))
                candidates.append(v);
        s.version = candidates.isEmpty() ? QByteArray() : candidates.first().bytes;
        const int expect = intoLive && m.clientRunning ? Refused : candidates.isEmpty() ? NotThere : Restored;
        if (s.action == Action::Rename && !s.typed.isEmpty() && !bytesAt(selected).isEmpty())
            lived[hashOf(bytesAt(selected))].insert(target);
        if (s.action == Action::BagAppears || s.action == Action::BagVanishes) // the outsider's own doing
            lived.remove(hashOf(bytesAt(programDir + '/' + onDisk(s.name))));
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

        // Another program at the very moment: a rival copy onto the bag a save or rename replaces, or writes
        // in place to the file a load or delete would put in the trash, whenever a file is looked at (as a
        // copy does before and after it reads).
        const bool rivals = (s.action == Action::Save || s.action == Action::Rename) && !s.wrongPath &&
                            !s.typed.isEmpty() && !s.typed.contains(QLatin1Char('/'));
        const bool inPlace =
            s.action == Action::Load || s.action == Action::MenuDelete || s.action == Action::DeleteKey;
        const QByteArray rivalSource = QFile::encodeName(path("dirs")) + "/rival";
        const QByteArray written = s.action == Action::Load ? livePath : selected;
        pid_t rival = -1;
        QByteArray lastWritten;
        if (s.meddle && rivals)
            writeAt(rivalSource, s.name.toUtf8());
        // The list's marks only read, after the step: the rival meddles with the step's own looks alone.
        if (s.meddle && !QTest::qWaitFor([&] { return f.marksWorkedOut(); }))
            return QStringLiteral("the list's marks were never worked out");
        if (s.meddle)
            h.fileSystem.beforeCall = [&](FaultyFileSystem::Call call) {
                using Call = FaultyFileSystem::Call;
                if (!f.marksWorkedOut())
                    return;
                const int callersErrno = errno; // a readdir caller tells the end from a failure by it
                if (rivals && call == Call::Renameat && rival < 0)
                    rival = startRival([&](FileSystem& fs) {
                        TrashedSteps store(fs);
                        const StepResult copied =
                            store.steps.copy(FilePlace::split(rivalSource), FilePlace::split(target));
                        return copied.ok() ? 0 : 1;
                    });
                const QByteArray before = inPlace && call == Call::Fstatat ? bytesAt(written) : QByteArray();
                if (!before.isEmpty()) {
                    lived.remove(hashOf(before));
                    writeAt(written, "+", O_APPEND);
                    lastWritten = bytesAt(written);
                    lived[hashOf(lastWritten)].insert(written);
                    writtenOutside.insert(hashOf(lastWritten));
                }
                errno = callersErrno;
            };
        perform(h, f, s);
        h.fileSystem.beforeCall = nullptr;
        QString restoreFault;
        if (s.action == Action::Restore) {
            // Another running copy restores; a second one, raced, starts once the first has picked its
            // version and is about to lock, and picks its own.
            QList<QByteArray> arguments{"restore"};
            if (!s.name.isEmpty())
                arguments << onDisk(s.name);
            arguments << QByteArray::number(n);
            if (!s.typed.isEmpty())
                arguments << "--as" << QFile::encodeName(s.typed);
            pid_t other = -1;
            PosixFileSystem quiet; // says nothing of its lock, so this copy waits until the other is done
            int hold = -1;         // closed once this copy holds the lock (it is about to rename)
            if (s.meddle)
                h.fileSystem.beforeCall = [&](FaultyFileSystem::Call call) {
                    const int callersErrno = errno;
                    if (call == FaultyFileSystem::Call::Flock && other < 0)
                        other = startRival(
                            [&](FileSystem& reporting) {
                                return outcomeOf(restoreByCommand(s.rival == Rival::First ? quiet : reporting,
                                                                  h, arguments));
                            },
                            s.rival == Rival::Second ? &hold : nullptr);
                    if (call == FaultyFileSystem::Call::Renameat && hold >= 0)
                        ::close(std::exchange(hold, -1));
                    errno = callersErrno;
                };
            const StepResult result = restoreByCommand(h.fileSystem, h, arguments);
            h.fileSystem.beforeCall = nullptr;
            if (hold >= 0)
                ::close(hold);
            int status = 0;
            const bool raced = other > 0 && ::waitpid(other, &status, 0) == other;
            const int got = outcomeOf(result);
            const int theOther = !raced ? expect : WIFEXITED(status) ? WEXITSTATUS(status) : Failed;
            const bool agrees = raced && expect == Restored
                                    ? qMin(got, theOther) == Restored && qMax(got, theOther) == NotThere
                                    : got == expect && theOther == expect;
            if (!agrees)
                restoreFault +=
                    QStringLiteral("\nrestoring version %1 of %2: this copy %3 (%4 %5), the other %6; "
                                   "the model: %7")
                        .arg(n)
                        .arg(versions.size())
                        .arg(QLatin1String(outcomeNames[got]), result.reason, QFile::decodeName(result.file),
                             raced ? QLatin1String(outcomeNames[theOther]) : QLatin1String("none"),
                             QLatin1String(outcomeNames[expect]));
            const QByteArray restored = bytesAt(restoredTo);
            const auto version = std::find_if(candidates.cbegin(), candidates.cend(),
                                              [&](const Kept& v) { return v.bytes == restored; });
            const bool done = got == Restored || theOther == Restored;
            struct stat left {};
            const auto stillThere = [&](const QByteArray& part) {
                return ::lstat(part.constData(), &left) == 0;
            };
            if (done) {
                if (version == candidates.cend())
                    restoreFault +=
                        "\n" + QFile::decodeName(restoredTo) + " holds no version " + QString::number(n);
                else if (stillThere(version->can + "/files/" + version->name) ||
                         stillThere(version->can + "/info/" + version->name + ".trashinfo"))
                    restoreFault +=
                        "\nthe version restored is still in the trash: " + QFile::decodeName(version->name);
                else // the trash's clock could not tell which was version n
                    (intoLive ? m.live : m.bags[s.typed.isEmpty() ? s.name : s.typed + ".prp"]) = restored;
            }
            figures.restored += done;
            figures.restoredByCopy += done && setup.mounted && setup.mountTrashBlocked;
            figures.refused += expect != Restored;
            figures.races += raced && expect == Restored;
            figures.racesLost += raced && theOther == Restored;
        }
        int status = 0;
        if (rival > 0 && ::waitpid(rival, &status, 0) == rival && WIFEXITED(status) &&
            WEXITSTATUS(status) == 0) {
            lived[hashOf(s.name.toUtf8())].insert(target);
            if (bytesAt(target) == s.name.toUtf8()) // the rival's copy came last
                m.bags[s.typed + QStringLiteral(".prp")] = s.name.toUtf8();
        }
        if (!lastWritten.isEmpty() && !m.meddledKept.isEmpty())
            (s.action == Action::Load ? m.live : m.bags[m.meddledKept]) = lastWritten;

        fault = compare(h, f, m, expected, during) + restoreFault;
        for (auto it = setup.strays.cbegin(); it != setup.strays.cend(); ++it) {
            if (bytesAt(strayPath(it.key(), it.value())) != (it.value() ? "stray" : strayInfo))
                fault +=
                    "\nthe stray " + QString::fromLatin1(strayPath(it.key(), it.value())) + " was touched";
            struct stat other {};
            if (::lstat(strayPath(it.key(), !it.value()).constData(), &other) == 0)
                fault +=
                    "\nthe stray " + QString::fromLatin1(strayPath(it.key(), it.value())) + " was made whole";
        }
        if (touches)
            record();
        const QMap<QByteArray, QByteArray> at = places();
        QSet<QByteArray> present;
        for (const QByteArray& bytes : at)
            present.insert(hashOf(bytes));
        trash = trashes();
        const QMultiHash<QByteArray, QByteArray> kept = keptIn(trash);
        for (const QString& broken : std::as_const(trash.faults))
            fault += "\n" + broken;
        const bool agreed = std::any_of(expected.cbegin(), expected.cend(), [](const ExpectedPrompt& p) {
            return p.title == QLatin1String("Delete Permanently") && p.answer == Pressed::Yes;
        });
        // What the step itself displaced and is nowhere else is kept under the place it came from; a restore
        // that does not happen leaves the trash as it was.
        const bool outsider = s.meddle && s.action != Action::Restore;
        for (auto it = placesBefore.cbegin(); !outsider && !agreed && it != placesBefore.cend(); ++it)
            if (!it.value().isEmpty() && at.value(it.key()) != it.value() &&
                !present.contains(hashOf(it.value())) && !kept.contains(hashOf(it.value()), it.key()))
                fault += "\nnot kept under its place: " + QString::fromLatin1(hashOf(it.value())) + " of " +
                         QFile::decodeName(it.key()).right(60);
        if (s.action == Action::Restore && expect != Restored && kept != keptBefore)
            fault += QStringLiteral("\na restore that did not happen changed the trash");
        figures.keptOnce +=
            m.loads > loadsBefore && keptBefore.contains(hashOf(placesBefore.value(livePath)), livePath);
        for (auto it = lived.begin(); it != lived.end();) {
            const QList<QByteArray> trashedFrom = kept.values(it.key());
            const bool inTrash =
                std::any_of(trashedFrom.cbegin(), trashedFrom.cend(),
                            [&](const QByteArray& from) { return it.value().contains(from); });
            if (present.contains(it.key()) || inTrash) {
                ++it;
            } else if (agreed) {
                it = lived.erase(it);
            } else {
                QStringList where;
                for (const QByteArray& from : std::as_const(it.value()))
                    where << QFile::decodeName(from).right(60);
                fault += QStringLiteral("\nlost: version %1, which lived at %2")
                             .arg(QString::fromLatin1(it.key()), where.join(QStringLiteral(", ")));
                ++it;
            }
        }
        figures.versions += lived.size();
        ++figures.steps;
        figures.prompts += static_cast<int>(expected.size());
        for (const FakePrompter::Request& r : std::as_const(h.prompter.requests))
            figures.titles.insert(r.title);
        if (!fault.isEmpty())
            steps.resize(i + 1);
    }
    return fault.trimmed();
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
        const QModelIndex row = f.File1->model()->index(static_cast<int>(f.bagNames().indexOf(s.name)), 0);
        f.File1->scrollTo(row);
        const QRect entry = f.File1->visualRect(row); // a long name runs past the list's right edge
        click(f.File1->viewport(), QPoint(entry.left() + 4, entry.center().y()));
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
    case Action::Restore: // another copy's, which play gives
        break;
    case Action::BagAppears:
        writeAt(QFile::encodeName(h.programDir.path()) + '/' + onDisk(s.name), s.typed.toUtf8());
        break;
    case Action::BagVanishes:
        ::unlink((QFile::encodeName(h.programDir.path()) + '/' + onDisk(s.name)).constData());
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
    const QMap<QByteArray, QByteArray> bags = filesIn(QFile::encodeName(h.programDir.path()));
    QStringList programFiles;
    for (auto it = bags.cbegin(); it != bags.cend(); ++it) {
        programFiles << QFile::decodeName(it.key());
        check(it.value() == m.bags.value(programFiles.last()), programFiles.last() + " holds other bytes");
    }
    programFiles.sort();
    check(programFiles == QStringList(m.bags.keys()),
          "program directory [" + programFiles.join(',') + "], model [" + m.bags.keys().join(',') + "]");
    const QStringList palaceFiles = QDir(h.palaceDir.path()).entryList(everything);
    check(palaceFiles == QStringList{QStringLiteral("palace.prp")},
          "Palace directory [" + palaceFiles.join(',') + "]");
    check(readFile(h.livePath()) == m.live, "palace.prp holds other bytes");
    check(QDir(root_->path()).entryList(everything).size() == 4,
          "a file was written beside the test's own folders");
    return faults.join(QLatin1Char('\n'));
}

QTEST_MAIN(ModelTest)
#include "tst_model.moc"
