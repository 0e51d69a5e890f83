// The command line: `STX102 list` over a folder of BAGS bags against `ls -1 DIR | sort -f` on the same
// folder, and `STX102 load` of a bag of MIB mebibytes against `cp` then `sync` of the copied file. Each
// figure is the whole run of a process, from its start to its exit, as a script sees it.
//
//   build-release/bench/cli_bench build-release/STX102 [BAGS] [MIB] [RUNS]
//
// Works in a temporary directory under $TMPDIR (a program directory holding a copy of STX102, without the
// windows' module that no command loads, and the bags, a Palace directory, the settings file and the
// trash), removed at the end. After one warm-up, RUNS rounds (default 21) run ours and the reference in
// alternating order. Before each load the disk is synced and
// the bag read into memory, as copy_bench does; the trash the loads fill is emptied between rounds,
// untimed. The environment is ours otherwise: with DISPLAY set, the load also asks the X server whether
// the client runs, as it does for a user.
#include "BenchTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// Runs a program with its output thrown away; false unless it exits with 0.
bool run(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
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

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s STX102 [BAGS] [MIB] [RUNS]\n", argv[0]);
        return 2;
    }
    const int bags = argc > 2 ? std::atoi(argv[2]) : 10000;
    const int mebibytes = argc > 3 ? std::atoi(argv[3]) : 1;
    const int runs = argc > 4 ? std::atoi(argv[4]) : 21;
    if (bags < 0 || mebibytes <= 0 || runs <= 0)
        return 2;

    QTemporaryDir work;
    const QString program = work.filePath(QStringLiteral("program"));
    const QString palace = work.filePath(QStringLiteral("palace"));
    const QString trash = work.filePath(QStringLiteral("data/Trash"));
    if (!work.isValid() || !QDir().mkpath(program) || !QDir().mkpath(palace) ||
        !QDir().mkpath(work.filePath(QStringLiteral("config"))) ||
        !QFile::copy(QFile::decodeName(argv[1]), program + QStringLiteral("/STX102")))
        return 1;
    for (int i = 0; i < bags; ++i)
        if (!writeFile(program + QStringLiteral("/Prop bag %1.prp").arg(i, 5, 10, QLatin1Char('0')), "bag"))
            return 1;
    const QString bag = program + QStringLiteral("/Big bag.prp");
    const QString live = palace + QStringLiteral("/palace.prp");
    const QString liveByCp = palace + QStringLiteral("/palace-cp.prp");
    if (!writeFile(bag, QByteArray(qsizetype(mebibytes) << 20, 'p')) || !writeFile(live, "live") ||
        !writeFile(liveByCp, "live") ||
        !writeFile(work.filePath(QStringLiteral("config/Stowbox.conf")),
                   "[Spath]\nPathkey=" + QFile::encodeName(palace) + "/\n"))
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(work.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(work.filePath(QStringLiteral("data"))));

    const std::string stowbox = native(program + QStringLiteral("/STX102"));
    const auto load = [&](const std::function<bool()>& copy) {
        ::sync();
        return readThrough(bag) ? timed(copy) : -1;
    };
    std::vector<double> list, listByLs, loads, loadsByCp;
    for (int round = -1; round < runs; ++round) {
        if (!QDir(trash).removeRecursively())
            return 1;
        double times[4];
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == (round % 2 == 0)) {
                times[0] = timed([&] { return run({stowbox, "list"}); });
                times[2] = load([&] { return run({stowbox, "load", "Big bag"}); });
            } else {
                times[1] = timed([&] {
                    return run({"sh", "-c", "ls -1 \"$0\" | sort -f", native(program)});
                });
                times[3] = load([&] {
                    return run({"cp", native(bag), native(liveByCp)}) && run({"sync", native(liveByCp)});
                });
            }
        }
        if (*std::min_element(std::begin(times), std::end(times)) < 0) {
            std::fprintf(stderr, "a list or load failed\n");
            return 1;
        }
        if (round >= 0) {
            list.push_back(times[0]);
            listByLs.push_back(times[1]);
            loads.push_back(times[2]);
            loadsByCp.push_back(times[3]);
        }
    }
    if (QFile(live).size() != qint64(mebibytes) << 20) {
        std::fprintf(stderr, "the load did not put the bag in place\n");
        return 1;
    }

    using BenchTable::Goal;
    const std::string listed = "stowbox list, " + std::to_string(bags) + " bags";
    const std::string loaded = "stowbox load, " + std::to_string(mebibytes) + " MiB bag";
    BenchTable::row(listed.c_str(), BenchTable::median(list), "ls -1 DIR | sort -f",
                    BenchTable::median(listByLs), "ms", {Goal::RatioAtMost, 3.0});
    BenchTable::row(loaded.c_str(), BenchTable::median(loads), "cp + sync FILE",
                    BenchTable::median(loadsByCp), "ms", {Goal::RatioAtMost, 2.0});
    return 0;
}
