#pragma once

#include <QByteArray>
#include <chrono>
#include <thread>

struct xcb_connection_t;

// A connection of our own to an X server that gives up after a time limit, so that a server that
// takes the connection and never answers cannot hold the caller. xcb waits without a limit, for
// the server's greeting as for every reply; so we open the socket ourselves, hand xcb a copy of it,
// and at the limit a watchdog shuts its reading side: every wait in xcb then ends in an error.
class X11Connection {
public:
    // An empty display name means $DISPLAY.
    X11Connection(const QByteArray& displayName, std::chrono::milliseconds limit);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    // Null when no server could be reached; check xcb_connection_has_error after each use.
    xcb_connection_t* get() const { return connection_; }

private:
    int socket_ = -1; // the watchdog's: closed only once the watchdog has ended
    std::jthread watchdog_;
    xcb_connection_t* connection_ = nullptr;
};
