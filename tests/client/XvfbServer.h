#pragma once

#include <QByteArray>
#include <QString>
#include <sys/types.h>

// An Xvfb of the test's own, on a display number it picks itself, stopped with the object.
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
    pid_t pid_ = -1;
    QByteArray display_;
    QString failure_;
};
