// Copy: saving and loading a large bag through the program's own copy (FileSteps::copy, with all of
// its crash-safety steps) against `cp` followed by `sync` of the copied file; deleting the saved bag
// (FileSteps::remove) against `rm` followed by `sync` of its directory.
//
//   build-release/bench/copy_bench [MIB] [RUNS]
//
// Works in a temporary directory under $TMPDIR (a Palace directory, a program directory and the trash),
// which is removed at the end: it needs six times MIB (default 256) of free disk. Save copies the live
// file to a new bag; load copies the bag over the existing live file, which goes to the trash; delete
// moves the new bag to the trash. After one warm-up, RUNS rounds (default 10) do each of the six steps,
// ours and the system tools' in alternating order; the whole disk is synced before each timed step so
// that none pays for another's write-back. The trash is emptied between rounds, untimed, as a user
// would empty it now and then.
#include "BenchTable.h"

#include "platform/files/PosixFileSystem.h"
#include "platform/safecopy/FileSteps.h"
#include "platform/safecopy/Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

bool writeBigFile(const QString& path, int mebibytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Incompressible bytes, in case the file system would make light work of repeated ones.
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    uint64_t state = 0x9e3779b97f4a7c15ULL;
    for (int i = 0; i < mebibytes; ++i) {
        for (qsizetype at = 0; at + 8 <= chunk.size(); at += 8) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            std::memcpy(chunk.data() + at, &state, 8);
        }
        if (file.write(chunk) != chunk.size())
            return false;
    }
    return file.flush() && fsync(file.handle()) == 0;
}

bool run(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool copyBySystemTools(const QString& source, const QString& destination) {
    const std::string to = QFile::encodeName(destination).toStdString();
    return run({"cp", QFile::encodeName(source).toStdString(), to}) && run({"sync", to});
}

// Reads a file through, so that its pages are in memory; false when it cannot be read.
bool readThrough(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    while (file.read(chunk.data(), chunk.size()) > 0) {
    }
    return file.error() == QFileDevice::NoError;
}

bool deleteBySystemTools(const QString& file) {
    return run({"rm", QFile::encodeName(file).toStdString()}) &&
           run({"sync", QFile::encodeName(QFileInfo(file).path()).toStdString()});
}

// Milliseconds of one copy of source, after the disk has been synced and the source read into memory:
// every copy starts alike, whatever the copies before it left in the page cache. Negative on failure.
double timeCopy(const QString& source, const std::function<bool()>& copy) {
    ::sync();
    if (!readThrough(source))
        return -1;
    const auto start = std::chrono::steady_clock::now();
    return copy() ? BenchTable::millisecondsSince(start) : -1;
}

double timeDelete(const std::function<bool()>& remove) {
    ::sync();
    const auto start = std::chrono::steady_clock::now();
    return remove() ? BenchTable::millisecondsSince(start) : -1;
}

} // namespace

int main(int argc, char** argv) {
    const int mebibytes = argc > 1 ? std::atoi(argv[1]) : 256;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 10;
    if (mebibytes <= 0 || runs <= 0 || runs > 100)
        return 2;

    QTemporaryDir work;
    if (!work.isValid() || !QDir(work.path()).mkdir(QStringLiteral("palace")) ||
        !QDir(work.path()).mkdir(QStringLiteral("program")))
        return 1;
    const QString live = work.filePath(QStringLiteral("palace/palace.prp"));
    const QString liveByCp = work.filePath(QStringLiteral("palace/palace-cp.prp"));
    const QString bag = work.filePath(QStringLiteral("program/Big bag.prp"));
    const QString bagByCp = work.filePath(QStringLiteral("program/Big bag cp.prp"));
    if (!writeBigFile(live, mebibytes) || !QFile::copy(live, liveByCp)) {
        std::fprintf(stderr, "cannot write %d MiB under %s\n", mebibytes, qPrintable(work.path()));
        return 1;
    }

    PosixFileSystem fileSystem;
    const QString trash = work.filePath(QStringLiteral("Trash"));
    Trash trashed(fileSystem, {QFile::encodeName(trash), getuid()});
    FileSteps steps(fileSystem, &trashed);
    const auto ours = [&](const QString& from, const QString& to) {
        return bool(steps.copy(FilePlace::split(from), FilePlace::split(to)));
    };
    std::vector<double> save, saveByCp, load, loadByCp, remove, removeByRm;
    for (int round = -1; round < runs; ++round) {
        if (!QDir(trash).removeRecursively())
            return 1;
        const bool oursFirst = round % 2 == 0;
        double times[6];
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == oursFirst) {
                times[0] = timeCopy(live, [&] { return ours(live, bag); });
                times[2] = timeCopy(bag, [&] { return ours(bag, live); });
                times[4] = timeDelete([&] { return bool(steps.remove(FilePlace::split(bag))); });
            } else {
                times[1] = timeCopy(live, [&] { return copyBySystemTools(live, bagByCp); });
                times[3] = timeCopy(bagByCp, [&] { return copyBySystemTools(bagByCp, liveByCp); });
                times[5] = timeDelete([&] { return deleteBySystemTools(bagByCp); });
            }
        }
        if (*std::min_element(std::begin(times), std::end(times)) < 0) {
            std::fprintf(stderr, "a copy or delete failed\n");
            return 1;
        }
        if (round >= 0) {
            save.push_back(times[0]);
            saveByCp.push_back(times[1]);
            load.push_back(times[2]);
            loadByCp.push_back(times[3]);
            remove.push_back(times[4]);
            removeByRm.push_back(times[5]);
        }
    }
    if (QFileInfo(live).size() != qint64(mebibytes) << 20) {
        std::fprintf(stderr, "the live file came back with the wrong size\n");
        return 1;
    }

    const auto throughput = [&](const std::vector<double>& milliseconds) {
        return mebibytes * 1000.0 / BenchTable::median(milliseconds);
    };
    using BenchTable::Goal;
    const std::string size = std::to_string(mebibytes) + " MiB";
    BenchTable::row(("save " + size + " (FileSteps::copy)").c_str(), throughput(save), "cp + sync FILE",
                    throughput(saveByCp), "MiB/s", {Goal::RatioAtLeast, 0.8});
    BenchTable::row(("load " + size + ", old file kept in the trash").c_str(), throughput(load),
                    "cp + sync FILE", throughput(loadByCp), "MiB/s", {Goal::RatioAtLeast, 0.9});
    BenchTable::row(("delete " + size + " to the trash").c_str(), BenchTable::median(remove), "rm + sync DIR",
                    BenchTable::median(removeByRm), "ms", {Goal::RatioAtMost, 1.0});
    return 0;
}
