// Settings file: time to read one key of a settings file of many sections, as start-up reads
// its keys one after another. The file is parsed when it changes, not on every key, so a read
// costs a look at the file's identity and a lookup.
#include "platform/ProfileSettings.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

std::filesystem::path SettingsFile(int sections)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "corvel-settings-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        std::abort();
    const std::filesystem::path file = std::filesystem::path(pattern) / "Corvel.ini";
    std::ofstream out(file);
    for (int s = 0; s < sections; ++s) {
        out << "[Section" << s << "]\n";
        for (int k = 0; k < 20; ++k)
            out << "Key" << k << "=" << s * 100 + k << "\n";
    }
    out.close();
    // A file changed within the last two seconds is read again and compared on each key; past
    // that, its identity alone answers whether it changed.
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    return file;
}

void BM_ReadOneKey(benchmark::State& state)
{
    const std::filesystem::path file = SettingsFile(static_cast<int>(state.range(0)));
    platform::ProfileSettings settings(file);
    int key = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(settings.GetProfileInt("Section1", "Key" + std::to_string(key % 20), 0));
        ++key;
    }
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(file));
    std::filesystem::remove_all(file.parent_path());
}
BENCHMARK(BM_ReadOneKey)->Arg(10)->Arg(500);

}  // namespace

BENCHMARK_MAIN();
