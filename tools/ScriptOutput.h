// What a running script prints, collected for the scripting console. The script's thread
// appends text; the console takes it on its own thread, whole lines while the script runs and
// the rest (a last line without a line end) once it has ended. No Qt here.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

class ScriptOutput {
public:
    /// Called on the appending thread after text arrived (e.g. to wake the console).
    void SetNotify(std::function<void()> notify);

    void Append(std::string_view text);
    /// Takes what has arrived: with `wholeLinesOnly`, everything up to and including the last
    /// "\n" (nothing when no line is complete), else everything.
    std::string Take(bool wholeLinesOnly);

private:
    std::mutex mutex_;
    std::string text_;
    std::function<void()> notify_;
};
