#include "platform/x11/X11WindowTree.h"

#include "platform/x11/X11Connection.h"

#include <xcb/xcb.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <vector>

namespace X11WindowTree {

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

// Long enough for a busy desktop's server, short enough for a click that waits on the answer.
constexpr std::chrono::milliseconds answerLimit(2000);

// WM_CLASS holds "instance\0class\0". The name by which it passes; empty when it does not.
QByteArrayView passingName(const xcb_get_property_reply_t* property, const ClassTest& test) {
    if (property->format != 8)
        return {};
    const QByteArrayView value(static_cast<const char*>(xcb_get_property_value(property)),
                               xcb_get_property_value_length(property));
    const qsizetype split = value.indexOf('\0');
    const QByteArrayView instance = split < 0 ? value : value.first(split);
    QByteArrayView windowClass = split < 0 ? QByteArrayView() : value.sliced(split + 1);
    const qsizetype end = windowClass.indexOf('\0');
    if (end >= 0)
        windowClass.truncate(end);
    return test(instance, windowClass);
}

// One round trip per tree level: every request of the level goes out before the first reply is read.
// A window destroyed meanwhile answers with an error and is passed over. The first window of the level
// that passes, as it is shown; empty when none does.
QString findInLevel(xcb_connection_t* connection, const std::vector<xcb_window_t>& level,
                    const ClassTest& test, std::vector<xcb_window_t>& nextLevel) {
    std::vector<xcb_get_property_cookie_t> classCookies;
    std::vector<xcb_query_tree_cookie_t> treeCookies;
    classCookies.reserve(level.size());
    treeCookies.reserve(level.size());
    constexpr uint32_t maxClassWords = 256;
    for (xcb_window_t window : level) {
        classCookies.push_back(xcb_get_property(connection, 0, window, XCB_ATOM_WM_CLASS,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, maxClassWords));
        treeCookies.push_back(xcb_query_tree(connection, window));
    }
    // Replies still outstanding when we return early are dropped with the connection.
    for (size_t i = 0; i < level.size(); ++i) {
        xcb_generic_error_t* error = nullptr;
        const ReplyPtr<xcb_get_property_reply_t> property(
            xcb_get_property_reply(connection, classCookies[i], &error));
        std::free(error);
        if (const QByteArrayView name = property ? passingName(property.get(), test) : QByteArrayView();
            !name.isEmpty())
            return QStringLiteral("window 0x%1 of class %2")
                .arg(level[i], 0, 16)
                .arg(QString::fromLocal8Bit(name));
        error = nullptr;
        const ReplyPtr<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection, treeCookies[i], &error));
        std::free(error);
        if (tree) {
            const xcb_window_t* children = xcb_query_tree_children(tree.get());
            nextLevel.insert(nextLevel.end(), children,
                             children + xcb_query_tree_children_length(tree.get()));
        }
    }
    return {};
}

QByteArray shownDisplay(const QByteArray& displayName) {
    return displayName.isEmpty() ? qgetenv("DISPLAY") : displayName;
}

StepResult noServer(const QByteArray& displayName) {
    const QByteArray display = shownDisplay(displayName);
    if (display.isEmpty())
        return StepResult::failure(StepResult::Kind::NotThere, ENXIO, QStringLiteral("no X display is set"));
    return StepResult::failure(StepResult::Kind::NotThere, ECONNREFUSED,
                               QStringLiteral("no X server answered on display %1 within %2 ms")
                                   .arg(QString::fromLocal8Bit(display))
                                   .arg(answerLimit.count()));
}

StepResult brokenOff(const QByteArray& displayName, int xcbError) {
    return StepResult::failure(StepResult::Kind::System, EIO,
                               QStringLiteral("the X server on display %1 refused us, broke off or did not "
                                              "answer in time (xcb error %2)")
                                   .arg(QString::fromLocal8Bit(shownDisplay(displayName)))
                                   .arg(xcbError));
}

} // namespace

Sighting findWindow(const QByteArray& displayName, const ClassTest& test) {
    const X11Connection connection(displayName, answerLimit);
    if (!connection.get())
        return {{}, noServer(displayName)};
    if (const int error = xcb_connection_has_error(connection.get()))
        return {{}, brokenOff(displayName, error)};
    std::vector<xcb_window_t> level;
    for (auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection.get())); screens.rem;
         xcb_screen_next(&screens))
        level.push_back(screens.data->root);
    while (!level.empty()) {
        std::vector<xcb_window_t> nextLevel;
        if (const QString found = findInLevel(connection.get(), level, test, nextLevel); !found.isEmpty())
            return {found, {}};
        if (const int error = xcb_connection_has_error(connection.get()))
            return {{}, brokenOff(displayName, error)};
        level.swap(nextLevel);
    }
    return {};
}

} // namespace X11WindowTree
