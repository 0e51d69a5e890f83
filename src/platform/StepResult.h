#pragma once

#include <QByteArray>
#include <QString>

// The outcome of one file or settings step. A failure always carries a non-zero code and the reason in
// the system's own words, taken at the step that failed, so that no caller has to work out afterwards
// what went wrong.
struct StepResult {
    bool ok = true;
    int error = 0; // non-zero on every failure: the errno of the failed step, or the closest one
    QString reason;
    // Set when the step stopped, with nothing changed, because no trash could take this file (its path),
    // which the step would otherwise have destroyed for good: the caller may ask the user and try again.
    QByteArray notTrashable;

    explicit operator bool() const { return ok; }

    // Success for 0, else the failure that errno value stands for.
    static StepResult fromErrno(int error);
    // A failure whose words are not the system's own; error must not be 0.
    static StepResult failure(int error, const QString& reason);
};
