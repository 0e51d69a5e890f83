#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <sys/types.h>

// An Xvfb of the test's own, on a display number it picks itself, stopped with the object. Like a
// desktop's server it lets in only clients with its cookie, which $XAUTHORITY then holds.
class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool isRunning() const { return !display_.isEmpty(); }
    QByteArray display() const { return display_; } // ":N"
    QString failure() const { return failure_; }    // why it is not running

private:
    void stop();
    QTemporaryDir cookieDirectory_;
    pid_t pid_ = -1;
    QByteArray display_;
    QString failure_;
};
