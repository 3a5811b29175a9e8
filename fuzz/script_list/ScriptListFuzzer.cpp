// Fuzz target: arbitrary bytes as the scripting console's script list. Every path taken is a
// usable path line, the rejected line numbers rise and name lines of the text, and the list
// written back reads as the same paths with nothing rejected.
#include "fuzz/FuzzCheck.h"
#include "panels/ScriptListLogic.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

using fuzzcheck::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const script_list::Loaded loaded = script_list::Parse(text);
    Check(loaded.state == script_list::Loaded::State::Ok);
    const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    for (const std::string& path : loaded.paths)
        Check(script_list::IsPathLine(path));
    for (std::size_t i = 0; i < loaded.rejectedLines.size(); ++i) {
        Check(loaded.rejectedLines[i] >= 1 && loaded.rejectedLines[i] <= lines);
        Check(i == 0 || loaded.rejectedLines[i] > loaded.rejectedLines[i - 1]);
    }
    const script_list::Loaded again = script_list::Parse(script_list::Format(loaded.paths));
    Check(again.paths == loaded.paths);
    Check(again.rejectedLines.empty());
    return 0;
}
