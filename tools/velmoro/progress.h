// SPDX-License-Identifier: MIT
// A one-line progress bar for work on many files, on standard error when that
// is a terminal, and nothing otherwise.
#ifndef VELMORO_TOOLS_PROGRESS_H
#define VELMORO_TOOLS_PROGRESS_H

#include <chrono>
#include <cstddef>
#include <string>

namespace velmoro_tool {

class Progress {
public:
    explicit Progress(size_t total);

    // Shows `done` of the total, at most ten times a second and always at the end.
    void Show(size_t done);
    // Takes the bar off its line, so that a message can be printed there; the
    // next Show draws it again.
    void Clear();

private:
    using Clock = std::chrono::steady_clock;

    size_t m_total;
    bool m_terminal;
    bool m_drawn = false;
    Clock::time_point m_start;
    Clock::time_point m_lastDrawn;
};

// "[#######-----] 12/200 files  35.2 pictures/s  0:05 left" for `done` of
// `total` after `seconds`.
std::string ProgressLine(size_t done, size_t total, double seconds);

}  // namespace velmoro_tool

#endif
