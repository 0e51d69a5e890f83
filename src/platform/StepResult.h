#pragma once

#include <QByteArray>
#include <QString>

// The outcome of one step, from the system call that failed up to the window: a failure always carries its
// kind, a non-zero code and the reason in the system's own words, taken where it failed, and, where the step
// knows it, the file at fault, so that no caller works out afterwards what went wrong or where.
struct StepResult {
    enum class Kind {
        None,          // success
        System,        // the system refused a call: code is its errno
        SourceChanged, // the file being copied was written to meanwhile, so no copy was kept
        NotTrashable,  // no trash can take the file, which the step would destroy for good: nothing changed
        NotThere,      // what the step was to act on is not there
        BadName,       // a name that cannot be one file name
        Damaged,       // what the step read holds something else than it must
        InUse,         // the client runs and may be writing the file
        Usage,         // the request itself is wrong
        NotDurable,    // the step is done, but may not yet survive a power cut
    };

    Kind kind = Kind::None;
    int error = 0; // non-zero on every failure: the errno of the failed call, or the closest one
    QString reason;
    QByteArray file; // the path of the file at fault, as the file system spells it; empty where untold

    explicit operator bool() const { return kind == Kind::None; }
    bool ok() const { return kind == Kind::None; }
    bool is(Kind wanted) const { return kind == wanted; }

    // Success for 0, else the system's failure that errno value stands for.
    static StepResult fromErrno(int error);
    // A failure of another kind, in words that are not the system's own; error must not be 0.
    static StepResult failure(Kind kind, int error, const QString& reason);
    // The same outcome, naming the file at fault where no step nearer the failure named one.
    StepResult about(const QByteArray& path) const;
};

// What a step yields, with its outcome: on a failure the value is what was had before it.
template <typename T> struct StepValue {
    T value{};
    StepResult result;

    explicit operator bool() const { return bool(result); }
};

// What a look for a running program saw, in words a person reads: "palace32.exe (process 1234)", or empty
// when it saw nothing. A look that cannot tell (no /proc, no X server) fails with the reason, and has seen
// nothing.
using Sighting = StepValue<QString>;
