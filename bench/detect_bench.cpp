// Time of one client detection with many windows open, none of them the client's (the full walk).
//
//   DISPLAY=:N build-release/bench/detect_bench [WINDOWS] [CALLS]
//
// Opens WINDOWS windows (default 300) on $DISPLAY, a third top-level, a third their children and a
// third grandchildren, half of them unmapped, then, after a few warm-up calls, times CALLS calls
// (default 200) of the whole detection and of its two halves, the window walk and the process scan.
#include "BenchTable.h"

#include "client/ClientNames.h"
#include "client/SystemClientDetector.h"
#include "platform/processes/ProcessTable.h"
#include "platform/x11/X11WindowTree.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int warmUpCalls = 5;

bool openWindows(xcb_connection_t* connection, int count) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const std::string wmClass("bench\0Bench\0", 12);
    xcb_window_t previous = screen->root;
    for (int i = 0; i < count; ++i) {
        // Each top-level window gets a child, and the child a child of its own.
        const xcb_window_t window = xcb_generate_id(connection);
        const xcb_window_t parent = i % 3 == 0 ? screen->root : previous;
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, parent, 0, 0, 20, 20, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            static_cast<uint32_t>(wmClass.size()), wmClass.data());
        if (i % 2 == 0)
            xcb_map_window(connection, window);
        previous = window;
    }
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    return !xcb_connection_has_error(connection);
}

double processCpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Timing {
    double medianMs = 0;
    double cpuMsPerCall = 0;
    bool anyTrue = false;
};

// Wall time is what the user waits; our own CPU time shows how much of it is ours rather than the
// X server's or the scheduler's on a busy machine.
Timing timeCalls(int calls, const std::function<bool()>& call) {
    Timing timing;
    for (int i = 0; i < warmUpCalls; ++i)
        timing.anyTrue = call() || timing.anyTrue;
    std::vector<double> milliseconds;
    const double cpuStart = processCpuMilliseconds();
    for (int i = 0; i < calls; ++i) {
        const auto start = std::chrono::steady_clock::now();
        timing.anyTrue = call() || timing.anyTrue;
        milliseconds.push_back(BenchTable::millisecondsSince(start));
    }
    timing.cpuMsPerCall = (processCpuMilliseconds() - cpuStart) / calls;
    timing.medianMs = BenchTable::median(milliseconds);
    return timing;
}

} // namespace

int main(int argc, char** argv) {
    const int windows = argc > 1 ? std::atoi(argv[1]) : 300;
    const int calls = argc > 2 ? std::atoi(argv[2]) : 200;
    if (windows < 0 || calls <= 0 || calls > 100000)
        return 2;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) || !openWindows(connection, windows)) {
        std::fprintf(stderr, "detect_bench needs an X server on $DISPLAY\n");
        return 1;
    }
    SystemClientDetector detector;
    const Timing whole = timeCalls(calls, [&] { return !detector.isPalaceRunning().value.isEmpty(); });
    const Timing walk = timeCalls(
        calls, [] { return !X11WindowTree::findWindow({}, ClientNames::clientWindowClass).value.isEmpty(); });
    const Timing scan = timeCalls(calls, [] {
        return !ProcessTable::findOwnProcess(QStringLiteral("/proc"), ClientNames::clientProgramName)
                    .value.isEmpty();
    });
    xcb_disconnect(connection);
    if (whole.anyTrue || walk.anyTrue || scan.anyTrue) {
        std::fprintf(stderr,
                     "detect_bench found a client running: the figures would not be of the full walk\n");
        return 1;
    }

    using BenchTable::Goal;
    const std::string what = "isPalaceRunning, " + std::to_string(windows) + " windows";
    BenchTable::row(what.c_str(), whole.medianMs, nullptr, -1, "ms", {Goal::Under, 20});
    BenchTable::row("  (our own CPU time per call)", whole.cpuMsPerCall, nullptr, -1, "ms", {});
    BenchTable::row("  (window walk only)", walk.medianMs, nullptr, -1, "ms", {});
    BenchTable::row("  (process scan only)", scan.medianMs, nullptr, -1, "ms", {});
    return 0;
}
