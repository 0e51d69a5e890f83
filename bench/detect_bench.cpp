// Time of one client detection with many windows open, none of them the client's (the full walk).
//
//   xvfb-run -a build-release/bench/detect_bench [WINDOWS] [CALLS]
//
// Opens WINDOWS windows (default 300) on $DISPLAY, a third top-level, a third their children and a
// third grandchildren, half of them unmapped, then times CALLS calls (default 200) of the whole
// detection and of its two halves, the window walk and the process scan.
#include "client/ClientNames.h"
#include "client/SystemClientDetector.h"
#include "platform/ProcessTable.h"
#include "platform/X11WindowTree.h"

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

// Wall time is what the user waits; our own CPU time shows how much of it is ours rather than the
// X server's or the scheduler's on a busy machine.
void report(const char* what, int calls, const std::function<bool()>& call) {
    std::vector<double> milliseconds;
    bool anyTrue = false;
    const double cpuStart = processCpuMilliseconds();
    for (int i = 0; i < calls; ++i) {
        const auto start = std::chrono::steady_clock::now();
        anyTrue = call() || anyTrue;
        milliseconds.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    const double cpuPerCall = (processCpuMilliseconds() - cpuStart) / calls;
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("%-18s min %.2f ms  median %.2f ms  p95 %.2f ms  max %.2f ms  our CPU %.2f ms/call%s\n", what,
                milliseconds.front(), milliseconds[milliseconds.size() / 2],
                milliseconds[milliseconds.size() * 95 / 100], milliseconds.back(), cpuPerCall,
                anyTrue ? "  (found a client!)" : "");
}

} // namespace

int main(int argc, char** argv) {
    const int windows = argc > 1 ? std::atoi(argv[1]) : 300;
    const int calls = argc > 2 ? std::atoi(argv[2]) : 200;
    if (windows < 0 || calls <= 0)
        return 2;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) || !openWindows(connection, windows)) {
        std::fprintf(stderr, "needs an X server on $DISPLAY (try xvfb-run -a)\n");
        return 1;
    }
    std::printf("%d windows of ours open, %d calls each\n", windows, calls);
    SystemClientDetector detector;
    report("isPalaceRunning", calls, [&] { return detector.isPalaceRunning(); });
    report("window walk only", calls,
           [] { return X11WindowTree::anyWindowClass({}, ClientNames::isClientWindowClass); });
    report("process scan only", calls, [] {
        return ProcessTable::anyProcessOfCurrentUser(QStringLiteral("/proc"), ClientNames::isClientProcess);
    });
    xcb_disconnect(connection);
    return 0;
}
