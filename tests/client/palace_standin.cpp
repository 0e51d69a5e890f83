// A stand-in for the chat client in tests and demonstrations: one X11 window with the WM_CLASS and
// title given, kept until the process is killed.
//
//   palace_standin [--instance NAME] [--class NAME] [--title TEXT] [--unmapped] [--parent WINDOW]
//
// The defaults are what Wine gives the client: WM_CLASS "palace32.exe", "palace32.exe" and the title
// "Palace". Without an X server it runs on without a window. Once ready it prints "window 0x..." or
// "no window". STOWBOX_STANDIN_LIFETIME (seconds) ends it after that time, so that a failed test
// leaves nothing behind.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

struct Options {
    std::string instance = "palace32.exe";
    std::string windowClass = "palace32.exe";
    std::string title = "Palace";
    bool mapped = true;
    xcb_window_t parent = XCB_NONE;
};

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--unmapped")
            options.mapped = false;
        else if (option == "--instance" && hasValue)
            options.instance = argv[++i];
        else if (option == "--class" && hasValue)
            options.windowClass = argv[++i];
        else if (option == "--title" && hasValue)
            options.title = argv[++i];
        else if (option == "--parent" && hasValue)
            options.parent = static_cast<xcb_window_t>(std::strtoul(argv[++i], nullptr, 0));
        else
            return false;
    }
    return true;
}

void setText(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
             const std::string& text) {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_STRING, 8,
                        static_cast<uint32_t>(text.size()), text.data());
}

[[noreturn]] void waitForSignal() {
    for (;;)
        pause();
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s [--instance NAME] [--class NAME] [--title TEXT] [--unmapped] "
                     "[--parent WINDOW]\n",
                     argv[0]);
        return 2;
    }
    if (const char* lifetime = std::getenv("STOWBOX_STANDIN_LIFETIME"))
        alarm(static_cast<unsigned>(std::strtoul(lifetime, nullptr, 10)));

    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (const int error = xcb_connection_has_error(connection)) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "no X server on %s (xcb error %d): running without a window\n",
                     display ? display : "(DISPLAY unset)", error);
        std::printf("no window\n");
        std::fflush(stdout);
        waitForSignal();
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    const xcb_screen_t* screen = screens.data;

    const xcb_window_t window = xcb_generate_id(connection);
    const uint32_t background = screen->white_pixel;
    const xcb_void_cookie_t created = xcb_create_window_checked(
        connection, XCB_COPY_FROM_PARENT, window, options.parent == XCB_NONE ? screen->root : options.parent,
        10, 10, 160, 60, 1, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL,
        &background);
    if (xcb_generic_error_t* error = xcb_request_check(connection, created)) {
        std::fprintf(stderr, "cannot create the window: X error %d\n", error->error_code);
        std::free(error);
        return 1;
    }
    setText(connection, window, XCB_ATOM_WM_CLASS, options.instance + '\0' + options.windowClass + '\0');
    setText(connection, window, XCB_ATOM_WM_NAME, options.title);
    if (options.mapped)
        xcb_map_window(connection, window);
    // A round trip: once it returns, the server has carried out every request above.
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));

    std::printf("window 0x%x\n", window);
    std::fflush(stdout);
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection))
        std::free(event);
    return 0;
}
