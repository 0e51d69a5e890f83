#pragma once

// Medians and the table rows every benchmark prints; bench/run.sh prints the header above them.
// Column widths here and in run.sh go together.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace BenchTable {

// What a row is held against: the ratio ours/reference, or our own figure alone.
struct Goal {
    enum Kind { None, RatioAtMost, RatioAtLeast, Under } kind = None;
    double limit = 0;
};

inline double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

inline double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// One line: what, our median, the reference's median (negative when there is none), the unit, the goal.
inline void row(const char* what, double ours, const char* reference, double theirs, const char* unit,
                Goal goal) {
    const bool hasReference = theirs >= 0 && reference;
    const double ratio = hasReference && theirs > 0 ? ours / theirs : 0;
    char goalText[24] = "-";
    bool met = true;
    switch (goal.kind) {
    case Goal::None:
        break;
    case Goal::RatioAtMost:
        std::snprintf(goalText, sizeof goalText, "<= %.2fx", goal.limit);
        met = ratio <= goal.limit;
        break;
    case Goal::RatioAtLeast:
        std::snprintf(goalText, sizeof goalText, ">= %.2fx", goal.limit);
        met = ratio >= goal.limit;
        break;
    case Goal::Under:
        std::snprintf(goalText, sizeof goalText, "< %g %s", goal.limit, unit);
        met = ours < goal.limit;
        break;
    }
    char theirsText[24] = "-";
    char ratioText[16] = "-";
    if (hasReference) {
        std::snprintf(theirsText, sizeof theirsText, "%.2f", theirs);
        std::snprintf(ratioText, sizeof ratioText, "%.2f", ratio);
    }
    std::printf("%-40s %10.2f %-5s %-26s %10s %7s  %-10s %s\n", what, ours, unit,
                hasReference ? reference : "-", theirsText, ratioText, goalText,
                goal.kind == Goal::None ? ""
                : met                   ? "met"
                                        : "MISSED");
    std::fflush(stdout);
}

} // namespace BenchTable
