// What a running script prints, collected for the scripting console. The script's thread
// appends text; the console takes it on its own thread, whole lines while the script runs and
// the rest (a last line without a line end) once it has ended. What waits is bounded: a script
// that prints faster than the console takes loses its oldest waiting lines, and the console is
// told how many in a line of their own. No Qt here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

class ScriptOutput {
public:
    /// Most bytes that wait to be taken; beyond it the oldest go.
    static constexpr std::size_t kMaxWaitingBytes = 256 * 1024;

    /// Called on the appending thread after text arrived (e.g. to wake the console).
    void SetNotify(std::function<void()> notify);

    void Append(std::string_view text);
    /// Takes what has arrived: with `wholeLinesOnly`, everything up to and including the last
    /// "\n" (nothing when no line is complete), else everything. Lines left out before it are
    /// told first.
    std::string Take(bool wholeLinesOnly);

private:
    /// Drops the oldest waiting text down to half the bound, at a line start where one is.
    void DropOldest();

    std::mutex mutex_;
    std::string text_;
    std::uint64_t droppedLines_ = 0;
    bool midLine_ = false;  ///< the waiting text starts in a line already counted as left out
    std::function<void()> notify_;
};
