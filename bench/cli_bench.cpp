// The command line, each figure the whole run of a process, from its start to its exit, as a script sees it:
// - over a folder of BAGS bags of random sizes, one of them loaded: `STX102 list` against
//   `ls -1 DIR | sort -f`, and `STX102 list -l` and `STX102 current` against `ls -l DIR`;
// - over a trash of 1,000 entries, 50 of them versions of palace.prp, each a copy of one of those bags:
//   `STX102 history` against `trash-list`;
// - `STX102 load` of a bag of MIB mebibytes over the live file against `cp` then `sync` of the copied
//   file, and against `gio trash` of the old file, `cp` and `sync`: keeping the old file by hand.
//
//   build-release/bench/cli_bench build-release/STX102 [BAGS] [MIB] [RUNS]
//
// Works in a temporary directory under $TMPDIR (a program directory holding a copy of STX102, without the
// windows' module that no command loads, and the bags, a Palace directory, the settings file, its own home
// and the trash), removed at the end. The commands and their references are first checked to do the work
// meant, then, after one warm-up, RUNS rounds (default 21) of the reading commands run ours and the
// references in alternating order, and as many rounds of the loads follow. Before each load the disk is
// synced and the bag read into memory, as copy_bench does; the trash the loads fill is emptied between
// rounds, untimed. The environment is ours otherwise: with DISPLAY set, the load also asks the X server
// whether the client runs, as it does for a user.
#include "BenchTable.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int trashEntries = 1000;
constexpr int palaceVersions = 50; // one entry in twenty
constexpr qsizetype smallestBag = 256;
constexpr qsizetype largestBag = qsizetype(32) << 10;

// Runs a program; false unless it exits with 0. Its output is thrown away, or kept in output when given.
bool run(std::vector<std::string> arguments, std::string* output = nullptr) {
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    int pipeEnds[2] = {-1, -1};
    if (output && pipe2(pipeEnds, O_CLOEXEC) < 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output)
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (output) {
        close(pipeEnds[1]);
        char buffer[65536];
        while (spawned == 0) {
            const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
            if (got > 0)
                output->append(buffer, size_t(got));
            else if (got == 0 || errno != EINTR)
                break;
        }
        close(pipeEnds[0]);
    }
    if (spawned != 0)
        return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double timed(const std::function<bool()>& work) {
    const auto start = std::chrono::steady_clock::now();
    return work() ? BenchTable::millisecondsSince(start) : -1;
}

std::string native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Reads a file through, so that its pages are in memory.
bool readThrough(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readAll().size() == file.size();
}

QByteArray bagBytes(int index, qsizetype size, const QByteArray& noise) {
    const QByteArray stamp = QByteArray::number(index) + '\n'; // no two bags alike, whatever their sizes
    return stamp + noise.left(size - stamp.size());
}

bool putInTrash(const QString& trash, const QString& name, const QByteArray& path, qint64 deleted,
                const QByteArray& bytes) {
    const QByteArray date =
        QDateTime::fromSecsSinceEpoch(deleted).toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1();
    return writeFile(trash + QStringLiteral("/files/") + name, bytes) &&
           writeFile(trash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"),
                     "[Trash Info]\nPath=" + path.toPercentEncoding("/") + "\nDeletionDate=" + date + '\n');
}

int linesOf(const std::string& text) {
    return int(std::count(text.begin(), text.end(), '\n'));
}

int occurrences(const std::string& text, const std::string& part) {
    int found = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++found;
    return found;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s STX102 [BAGS] [MIB] [RUNS]\n", argv[0]);
        return 2;
    }
    const int bags = argc > 2 ? std::atoi(argv[2]) : 10000;
    const int mebibytes = argc > 3 ? std::atoi(argv[3]) : 1;
    const int runs = argc > 4 ? std::atoi(argv[4]) : 21;
    if (bags < 2 || mebibytes <= 0 || runs <= 0)
        return 2;

    QTemporaryDir work;
    const QString program = work.filePath(QStringLiteral("program"));
    const QString palace = work.filePath(QStringLiteral("palace"));
    const QString trash = work.filePath(QStringLiteral("data/Trash"));
    if (!work.isValid() || !QDir().mkpath(program) || !QDir().mkpath(palace) ||
        !QDir().mkpath(work.filePath(QStringLiteral("config"))) ||
        !QDir().mkpath(work.filePath(QStringLiteral("home"))) ||
        !QDir().mkpath(trash + QStringLiteral("/files")) || !QDir().mkpath(trash + QStringLiteral("/info")) ||
        !QFile::copy(QFile::decodeName(argv[1]), program + QStringLiteral("/STX102")))
        return 1;

    // The bags, the big one for the loads among them; the one in the middle is loaded.
    std::mt19937 random(20240601);
    std::uniform_int_distribution<qsizetype> sizes(smallestBag, largestBag);
    QByteArray noise(largestBag, Qt::Uninitialized);
    std::generate(noise.begin(), noise.end(), [&] { return char(random()); });
    const auto bagName = [](int i) {
        return QStringLiteral("Prop bag %1.prp").arg(i, 5, 10, QLatin1Char('0'));
    };
    const int loaded = (bags - 1) / 2;
    const QString live = palace + QStringLiteral("/palace.prp");
    std::vector<qsizetype> bagSizes;
    for (int i = 0; i < bags - 1; ++i) {
        bagSizes.push_back(sizes(random));
        const QByteArray bytes = bagBytes(i, bagSizes.back(), noise);
        if (!writeFile(program + '/' + bagName(i), bytes) || (i == loaded && !writeFile(live, bytes)))
            return 1;
    }
    const QString bag = program + QStringLiteral("/Big bag.prp");
    const QString liveByCp = palace + QStringLiteral("/palace-cp.prp");
    const QString liveByGio = palace + QStringLiteral("/palace-gio.prp");
    if (!writeFile(bag, QByteArray(qsizetype(mebibytes) << 20, 'p')) || !writeFile(liveByCp, "live") ||
        !writeFile(liveByGio, "live") ||
        !writeFile(work.filePath(QStringLiteral("config/Stowbox.conf")),
                   "[Spath]\nPathkey=" + QFile::encodeName(palace) + "/\n"))
        return 1;

    // The trash of a user who loads bags: palace.prp's versions are bags it held, among other files.
    const QByteArray livePath = QFile::encodeName(QFileInfo(palace).canonicalFilePath()) + "/palace.prp";
    const qint64 lastYear = QDateTime::currentSecsSinceEpoch() - 365 * 24 * 3600;
    for (int i = 0, version = 0; i < trashEntries; ++i) {
        const qint64 deleted = lastYear + i * 3571;
        const bool ofLive = i % (trashEntries / palaceVersions) == 0;
        const int held = (version * 197) % (bags - 1);
        const bool put =
            ofLive
                ? putInTrash(trash,
                             version ? QStringLiteral("palace.prp.%1").arg(version + 1)
                                     : QStringLiteral("palace.prp"),
                             livePath, deleted, bagBytes(held, bagSizes[size_t(held)], noise))
                : putInTrash(trash, QStringLiteral("note %1.txt").arg(i),
                             QFile::encodeName(work.filePath(QStringLiteral("elsewhere/note %1.txt").arg(i))),
                             deleted, bagBytes(i, sizes(random) / 8, noise));
        version += ofLive;
        if (!put)
            return 1;
    }
    qputenv("HOME", QFile::encodeName(work.filePath(QStringLiteral("home"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(work.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(work.filePath(QStringLiteral("data"))));

    const std::string stowbox = native(program + QStringLiteral("/STX102"));
    const std::string folder = native(program);
    // Figures of a command that does not do the work meant would mean nothing.
    std::string current, longList, history, trashList;
    if (!run({stowbox, "current"}, &current) || !run({stowbox, "list", "-l"}, &longList) ||
        !run({stowbox, "history"}, &history) || !run({"trash-list"}, &trashList) ||
        current != native(bagName(loaded)) + '\n' || linesOf(longList) != bags ||
        occurrences(longList, "* ") != 1 || linesOf(history) != palaceVersions ||
        occurrences(history, " = Prop bag ") != palaceVersions || linesOf(trashList) < trashEntries) {
        std::fprintf(stderr, "current, list -l, history or trash-list did not show what the folder holds\n");
        return 1;
    }

    std::vector<double> list, listByLs, longLists, currents, longListsByLs, histories, historiesByTrashList;
    for (int round = -1; round < runs; ++round) {
        double times[7];
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == (round % 2 == 0)) {
                times[0] = timed([&] { return run({stowbox, "list"}); });
                times[2] = timed([&] { return run({stowbox, "list", "-l"}); });
                times[3] = timed([&] { return run({stowbox, "current"}); });
                times[5] = timed([&] { return run({stowbox, "history"}); });
            } else {
                times[1] = timed([&] { return run({"sh", "-c", "ls -1 \"$0\" | sort -f", folder}); });
                times[4] = timed([&] { return run({"ls", "-l", folder}); });
                times[6] = timed([&] { return run({"trash-list"}); });
            }
        }
        if (*std::min_element(std::begin(times), std::end(times)) < 0) {
            std::fprintf(stderr, "a list, current, history or their reference failed\n");
            return 1;
        }
        if (round >= 0) {
            list.push_back(times[0]);
            listByLs.push_back(times[1]);
            longLists.push_back(times[2]);
            currents.push_back(times[3]);
            longListsByLs.push_back(times[4]);
            histories.push_back(times[5]);
            historiesByTrashList.push_back(times[6]);
        }
    }

    const auto load = [&](const std::function<bool()>& copy) {
        ::sync();
        return readThrough(bag) ? timed(copy) : -1;
    };
    std::vector<double> loads, loadsByCp, loadsByGio;
    for (int round = -1; round < runs; ++round) {
        if (!QDir(trash).removeRecursively())
            return 1;
        double times[3];
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == (round % 2 == 0)) {
                times[0] = load([&] { return run({stowbox, "load", "Big bag"}); });
            } else {
                times[1] = load([&] {
                    return run({"cp", native(bag), native(liveByCp)}) && run({"sync", native(liveByCp)});
                });
                times[2] = load([&] {
                    return run({"gio", "trash", native(liveByGio)}) &&
                           run({"cp", native(bag), native(liveByGio)}) && run({"sync"});
                });
            }
        }
        if (*std::min_element(std::begin(times), std::end(times)) < 0) {
            std::fprintf(stderr, "a load or its reference failed\n");
            return 1;
        }
        if (round >= 0) {
            loads.push_back(times[0]);
            loadsByCp.push_back(times[1]);
            loadsByGio.push_back(times[2]);
        }
    }
    // The last round's trash is still there: both kept the old file in the bench's own.
    if (QFile(live).size() != qint64(mebibytes) << 20 ||
        !QFile::exists(trash + QStringLiteral("/files/palace.prp")) ||
        !QFile::exists(trash + QStringLiteral("/files/palace-gio.prp"))) {
        std::fprintf(stderr, "a load did not put the bag in place, or kept the old file elsewhere\n");
        return 1;
    }

    using BenchTable::Goal;
    using BenchTable::median;
    const std::string ofBags = ", " + std::to_string(bags) + " bags";
    const std::string versions =
        ", " + std::to_string(palaceVersions) + " of " + std::to_string(trashEntries) + " trashed";
    const std::string loadRow = "stowbox load, " + std::to_string(mebibytes) + " MiB bag";
    BenchTable::row(("stowbox list" + ofBags).c_str(), median(list), "ls -1 DIR | sort -f", median(listByLs),
                    "ms", {Goal::RatioAtMost, 3.0});
    BenchTable::row(("stowbox list -l" + ofBags).c_str(), median(longLists), "ls -l DIR",
                    median(longListsByLs), "ms", {Goal::RatioAtMost, 1.5});
    BenchTable::row(("stowbox current" + ofBags).c_str(), median(currents), "ls -l DIR",
                    median(longListsByLs), "ms", {Goal::RatioAtMost, 1.5});
    BenchTable::row(("stowbox history" + versions).c_str(), median(histories), "trash-list",
                    median(historiesByTrashList), "ms", {Goal::RatioAtMost, 0.25});
    BenchTable::row(loadRow.c_str(), median(loads), "cp + sync FILE", median(loadsByCp), "ms",
                    {Goal::RatioAtMost, 2.0});
    BenchTable::row(loadRow.c_str(), median(loads), "gio trash + cp + sync", median(loadsByGio), "ms",
                    {Goal::RatioAtMost, 1.0});
    return 0;
}
