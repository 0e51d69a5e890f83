#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

// The stand-in client program, as built, and the processes of it that a test starts and always ends.
namespace StandIn {

QString programPath();

// Copies the stand-in program to directory/name with execute permission; empty on failure.
QString copyAs(const QString& directory, const QString& name);

// The environment every stand-in gets: a bounded lifetime, and the X server (none when display is empty).
QProcessEnvironment environment(const QByteArray& display);

struct Options {
    QString program = programPath();
    QStringList arguments{};
    QByteArray display{}; // empty: no X server at all
    bool asNobody = false;
};

// One running stand-in, killed and reaped with the object.
class Process {
public:
    explicit Process(const Options& options);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Waits (bounded) for the readiness line; false when the stand-in did not get ready.
    bool waitUntilReady();
    quint32 window() const { return window_; } // 0 when it has none
    QString failure() const { return failure_; }
    qint64 pid() const { return process_.processId(); }
    // Kills the stand-in and waits until it has gone.
    void stop();

private:
    QProcess process_;
    quint32 window_ = 0;
    QString failure_;
};

} // namespace StandIn
