// SPDX-License-Identifier: MIT
#include "progress.h"

#include <cstdio>
#include <unistd.h>

namespace velmoro_tool {
namespace {

constexpr int kBarWidth = 24;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

std::string Duration(double seconds)
{
    const long long whole = static_cast<long long>(seconds + 0.5);
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

}  // namespace

std::string ProgressLine(size_t done, size_t total, double seconds)
{
    const int filled = total == 0 ? kBarWidth : static_cast<int>(kBarWidth * done / total);
    std::string line = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '-') + "] " +
                       std::to_string(done) + "/" + std::to_string(total) + " files";
    if (done == 0 || seconds <= 0)
        return line;
    const double rate = done / seconds;
    char text[64];
    std::snprintf(text, sizeof text, "  %.1f pictures/s", rate);
    line += text;
    return line + "  " + Duration((total - done) / rate) + " left";
}

Progress::Progress(size_t total)
    : m_total(total), m_terminal(::isatty(STDERR_FILENO) == 1), m_start(Clock::now()), m_lastDrawn(m_start)
{
}

void Progress::Show(size_t done)
{
    if (!m_terminal)
        return;
    const Clock::time_point now = Clock::now();
    if (m_drawn && done < m_total && now - m_lastDrawn < kRedrawInterval)
        return;
    const double seconds = std::chrono::duration<double>(now - m_start).count();
    // Carriage return and erase to the end of the line: the bar stays on one line.
    std::fprintf(stderr, "\r\033[K%s", ProgressLine(done, m_total, seconds).c_str());
    std::fflush(stderr);
    m_drawn = true;
    m_lastDrawn = now;
}

void Progress::Clear()
{
    if (!m_drawn)
        return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    m_drawn = false;
}

}  // namespace velmoro_tool
