#pragma once

#include <QString>

// The outcome of one file or settings step. A failure carries the reason in the system's own words,
// taken at the step that failed, so that no caller has to work out afterwards what went wrong.
struct StepResult {
    bool ok = true;
    int error = 0; // the errno of the failed step; 0 where the reason is not the system's
    QString reason;

    explicit operator bool() const { return ok; }

    // Success for 0, else the failure that errno value stands for.
    static StepResult fromErrno(int error);
    static StepResult refused(const QString& reason);
};
