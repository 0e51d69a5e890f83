// Start-up: time from exec to the main window mapped on the X server, and the resident memory at that
// moment, for STX102 and the reference program, with no bags and with many in the program directory.
//
//   DISPLAY=:N build-release/bench/startup_bench build-release/STX102
//       build-release/bench/startup_reference [BAGS] [MOST_BAGS] [RUNS]
//
// Each program runs from a temporary program directory that holds a copy of both binaries, the windows'
// module that STX102 loads from beside it, and the bags:
// none, BAGS (default 10000) or MOST_BAGS (default 100000). After one warm-up start of each, RUNS rounds
// (default 11) start all of them in turn, rotating the order. The programs get a settings folder of their
// own, where a Palace directory is stored whose palace.prp has a size no bag has: STX102 looks at every
// bag's size to mark the one loaded, and opens none.
// "Mapped" is the MapNotify of a window whose _NET_WM_PID is the started process, seen by selecting
// SubstructureNotify on the root window before the exec.
#include "BenchTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto mapTimeout = std::chrono::seconds(30);

struct Start {
    double milliseconds = -1;
    double rssMiB = -1;
};

class MapWatcher {
public:
    MapWatcher() : connection_(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(connection_))
            return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, screen->root, XCB_CW_EVENT_MASK, &mask);
        const char name[] = "_NET_WM_PID";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, sizeof name - 1, name), nullptr);
        if (atom) {
            pidAtom_ = atom->atom;
            std::free(atom);
        }
        xcb_flush(connection_);
    }
    ~MapWatcher() { xcb_disconnect(connection_); }

    bool ok() const { return !xcb_connection_has_error(connection_) && pidAtom_ != XCB_ATOM_NONE; }

    // Waits for a window of pid to be mapped; the time at which its MapNotify arrived, or none.
    bool waitForMap(pid_t pid, Clock::time_point deadline, Clock::time_point& mappedAt) {
        while (Clock::now() < deadline) {
            xcb_generic_event_t* event = xcb_poll_for_event(connection_);
            if (!event) {
                if (xcb_connection_has_error(connection_))
                    return false;
                pollfd readable{xcb_get_file_descriptor(connection_), POLLIN, 0};
                const auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
                poll(&readable, 1, static_cast<int>(std::max<long long>(1, left.count())));
                continue;
            }
            const auto arrived = Clock::now();
            const bool isMap = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
            const xcb_window_t window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
            std::free(event);
            if (isMap && pidOf(window) == pid) {
                mappedAt = arrived;
                return true;
            }
        }
        return false;
    }

private:
    pid_t pidOf(xcb_window_t window) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, pidAtom_, XCB_ATOM_CARDINAL, 0, 1),
            nullptr);
        pid_t pid = 0;
        if (reply && xcb_get_property_value_length(reply) == 4)
            pid = static_cast<pid_t>(*static_cast<uint32_t*>(xcb_get_property_value(reply)));
        std::free(reply);
        return pid;
    }

    xcb_connection_t* connection_;
    xcb_atom_t pidAtom_ = XCB_ATOM_NONE;
};

double residentMiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024;
    return -1;
}

// The environment of the started programs: ours, with the X11 platform forced and a settings folder of
// their own.
std::vector<char*> childEnvironment(std::vector<std::string>& storage, const QString& configHome) {
    for (char** variable = environ; *variable; ++variable)
        if (std::strncmp(*variable, "QT_QPA_PLATFORM=", 16) != 0 &&
            std::strncmp(*variable, "XDG_CONFIG_HOME=", 16) != 0)
            storage.emplace_back(*variable);
    storage.emplace_back("QT_QPA_PLATFORM=xcb");
    storage.emplace_back("XDG_CONFIG_HOME=" + QFile::encodeName(configHome).toStdString());
    std::vector<char*> pointers;
    for (std::string& variable : storage)
        pointers.push_back(variable.data());
    pointers.push_back(nullptr);
    return pointers;
}

Start startOnce(MapWatcher& watcher, const std::string& program, char* const* environment) {
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string argument0 = program;
    char* argv[] = {argument0.data(), nullptr};
    pid_t pid = 0;
    Start start;
    const auto began = Clock::now();
    if (posix_spawn(&pid, program.c_str(), &quiet, nullptr, argv, environment) == 0) {
        Clock::time_point mappedAt;
        if (watcher.waitForMap(pid, began + mapTimeout, mappedAt)) {
            start.rssMiB = residentMiB(pid);
            start.milliseconds = std::chrono::duration<double, std::milli>(mappedAt - began).count();
        }
        kill(pid, SIGKILL);
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    posix_spawn_file_actions_destroy(&quiet);
    return start;
}

// Stores the Palace directory through the program's own command, with a palace.prp in it.
bool storePalaceDirectory(const std::string& program, const QString& directory, char* const* environment) {
    QFile live(directory + QStringLiteral("/palace.prp"));
    if (!QDir().mkpath(directory) || !live.open(QIODevice::WriteOnly) ||
        live.write(QByteArray(4000, 'q')) != 4000)
        return false;
    live.close();
    std::string argument0 = program;
    std::string command = "set-path";
    std::string operand = QFile::encodeName(directory).toStdString();
    char* argv[] = {argument0.data(), command.data(), operand.data(), nullptr};
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environment) != 0)
        return false;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool fillProgramDirectory(const QString& directory, const QStringList& binaries, int bags) {
    if (!QDir().mkpath(directory))
        return false;
    for (const QString& binary : binaries)
        if (!QFile::copy(binary, directory + QLatin1Char('/') + QFileInfo(binary).fileName()))
            return false;
    for (int i = 0; i < bags; ++i) {
        QFile bag(directory + QStringLiteral("/Prop bag %1.prp").arg(i, 5, 10, QLatin1Char('0')));
        if (!bag.open(QIODevice::WriteOnly) || bag.write(QByteArray(4096, 'p')) != 4096)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s STX102 REFERENCE [BAGS] [MOST_BAGS] [RUNS]\n", argv[0]);
        return 2;
    }
    const QStringList binaries{QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2])};
    const QString windowsModule =
        QFileInfo(binaries[0]).dir().filePath(QString::fromLatin1(STOWBOX_WINDOWS_MODULE));
    const int manyBags = argc > 3 ? std::atoi(argv[3]) : 10000;
    const int mostBags = argc > 4 ? std::atoi(argv[4]) : 100000;
    const int runs = argc > 5 ? std::atoi(argv[5]) : 11;
    if (manyBags < 0 || mostBags < 0 || runs <= 0 || runs > 1000)
        return 2;

    MapWatcher watcher;
    if (!watcher.ok()) {
        std::fprintf(stderr, "startup_bench needs an X server on $DISPLAY\n");
        return 1;
    }
    QTemporaryDir work;
    const std::array<int, 3> bagCounts{0, manyBags, mostBags};
    // paths[program][bag count]
    std::array<std::array<std::string, 3>, 2> paths;
    for (size_t b = 0; b < bagCounts.size(); ++b) {
        const QString directory = work.filePath(QStringLiteral("bags-%1").arg(b));
        if (!fillProgramDirectory(directory, binaries + QStringList{windowsModule}, bagCounts[b])) {
            std::fprintf(stderr, "cannot fill %s\n", qPrintable(directory));
            return 1;
        }
        for (size_t p = 0; p < paths.size(); ++p)
            paths[p][b] = QFile::encodeName(directory + QLatin1Char('/') + QFileInfo(binaries[p]).fileName())
                              .toStdString();
    }

    // Both programs start with no bags and with many; only ours with the most, which it is held against its
    // own start with none (the reference takes most of a second there, and no goal asks for it).
    const std::array<std::pair<size_t, size_t>, 5> subjects{{{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0, 2}}};
    std::vector<std::string> storage;
    std::vector<char*> environment = childEnvironment(storage, work.filePath(QStringLiteral("config")));
    if (!storePalaceDirectory(paths[0][0], work.filePath(QStringLiteral("palace")), environment.data())) {
        std::fprintf(stderr, "cannot store a Palace directory\n");
        return 1;
    }
    std::array<std::array<std::vector<double>, 3>, 2> times, memory;
    for (int round = -1; round < runs; ++round) {
        for (size_t k = 0; k < subjects.size(); ++k) {
            const auto [p, b] = subjects[(k + size_t(std::max(round, 0))) % subjects.size()];
            const Start start = startOnce(watcher, paths[p][b], environment.data());
            if (start.milliseconds < 0) {
                std::fprintf(stderr, "%s: no window mapped within %lld s\n", paths[p][b].c_str(),
                             static_cast<long long>(mapTimeout.count()));
                return 1;
            }
            if (round >= 0) {
                times[p][b].push_back(start.milliseconds);
                memory[p][b].push_back(start.rssMiB);
            }
        }
    }

    using BenchTable::Goal;
    using BenchTable::median;
    const std::string many = std::to_string(manyBags) + " bags";
    const std::string most = std::to_string(mostBags) + " bags";
    const std::string reference0 = "reference, 0 bags";
    const std::string referenceMany = "reference, " + many;
    const std::string ours0 = "Stowbox, 0 bags";
    BenchTable::row("start-up to mapped, 0 bags", median(times[0][0]), reference0.c_str(),
                    median(times[1][0]), "ms", {Goal::RatioAtMost, 1.2});
    BenchTable::row(("start-up to mapped, " + many).c_str(), median(times[0][1]), referenceMany.c_str(),
                    median(times[1][1]), "ms", {Goal::RatioAtMost, 1.2});
    BenchTable::row(("start-up to mapped, " + many).c_str(), median(times[0][1]), reference0.c_str(),
                    median(times[1][0]), "ms", {Goal::RatioAtMost, 1.5});
    BenchTable::row(("start-up to mapped, " + most).c_str(), median(times[0][2]), ours0.c_str(),
                    median(times[0][0]), "ms", {Goal::RatioAtMost, 3});
    BenchTable::row("  (reference's own cost of the bags)", median(times[1][1]), reference0.c_str(),
                    median(times[1][0]), "ms", {});
    BenchTable::row("resident memory when mapped, 0 bags", median(memory[0][0]), reference0.c_str(),
                    median(memory[1][0]), "MiB", {Goal::RatioAtMost, 1.15});
    BenchTable::row(("resident memory when mapped, " + many).c_str(), median(memory[0][1]),
                    referenceMany.c_str(), median(memory[1][1]), "MiB", {Goal::RatioAtMost, 1.15});
    BenchTable::row(("resident memory when mapped, " + most).c_str(), median(memory[0][2]), ours0.c_str(),
                    median(memory[0][0]), "MiB", {Goal::RatioAtMost, 1.3});
    return 0;
}
