// Records per second that OLOwnLogOutput writes to the file channel, against the same messages
// through spdlog's file sink flushing every record, in the same run. Both hand every record to
// the kernel before the call returns. OrvLog's mode with buffering off, which also flushes each
// record to the disk, is measured beside them. Prints the ratios at the end (above 1.0: OrvLog
// is faster); with repetitions the medians are compared.
#include "logging/OrvLog.h"

#include <benchmark/benchmark.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/spdlog.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>

namespace {

constexpr int64_t kRecords = 300000;
// Records flushed to the disk one by one take milliseconds each.
constexpr int64_t kSyncedRecords = 2000;

std::filesystem::path BenchFolder()
{
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvlog-bench-XXXXXX").string();
        return std::filesystem::path(::mkdtemp(pattern.data()));
    }();
    return folder;
}

const char* kMessageUtf8 = "Exposure set to 12500 us, register 0x0110 = 0x000030D4 (gain 2.5 dB)";
const wchar_t* kMessageWide = L"Exposure set to 12500 us, register 0x0110 = 0x000030D4 (gain 2.5 dB)";

// range(0): 1 flushes every record to the disk (buffering off); range(1): format level.
void BM_OrvLogFile(benchmark::State& state)
{
    const bool sync = state.range(0) != 0;
    const std::wstring folder = BenchFolder().wstring() + L"/";
    if (OLInitOwnLogW(0, L"orvlog", folder.c_str(), true, false, 0, static_cast<int32_t>(state.range(1)), 0) != 0) {
        state.SkipWithError("cannot open the log");
        return;
    }
    OLSetOwnLogSeverityThreshold(0, 0, OL_CHANNEL_FILE);
    OLSetOwnLogFileBuffering(0, sync ? 0 : 1);

    _OwnLogRecord record{};
    record.severity = OL_TRACE;
    record.day = -1;
    char* time = OLGetTimeStr(&record);
    record.processId = static_cast<int32_t>(::getpid());
    record.threadId = static_cast<int32_t>(::gettid());
    record.timeText = time;
    record.moduleName = "Corvel";
    record.moduleTag = "\"\"";
    record.sourceFile = L"C:\\src\\camera\\CameraLink.cpp";
    record.function = "CCameraLink::SetParamIntIfOnline";
    record.line = 812;
    record.code = 0;
    record.message = kMessageWide;
    for (auto _ : state)
        benchmark::DoNotOptimize(OLOwnLogOutput(0, &record));
    OLCloseOwnLog(0);
    OLDestroyInternalStr(&time, nullptr);
    state.SetItemsProcessed(state.iterations());
    std::filesystem::remove(BenchFolder() / "orvlog.txt");
}
BENCHMARK(BM_OrvLogFile)->ArgNames({"sync", "level"})->Args({0, 4})->Args({0, 1})
    ->Iterations(kRecords)->UseRealTime();
BENCHMARK(BM_OrvLogFile)->ArgNames({"sync", "level"})->Args({1, 4})->Args({1, 1})
    ->Iterations(kSyncedRecords)->UseRealTime();

// The same records through spdlog's file sink, flushed to the kernel after every record, with a
// pattern that prints the same fields (spdlog takes time, ids and level itself). range(0): the
// OrvLog format whose fields the pattern mirrors.
void BM_SpdlogFile(benchmark::State& state)
{
    const std::string path = (BenchFolder() / "spdlog.txt").string();
    auto logger = spdlog::basic_logger_mt("bench", path, true);
    logger->flush_on(spdlog::level::trace);
    logger->set_level(spdlog::level::trace);
    logger->set_pattern(state.range(0) == 1 ? "%l: 0; %v"
                                            : "{%t}; PT=%P:%t; TM=%d.%m.%Y %H:%M:%S.%e; F=%s,%!,%#; SV=%l; CD=0; MSG=%v");
    const spdlog::source_loc where{"C:\\src\\camera\\CameraLink.cpp", 812, "CCameraLink::SetParamIntIfOnline"};
    for (auto _ : state)
        logger->log(where, spdlog::level::trace, kMessageUtf8);
    logger->flush();
    spdlog::drop("bench");
    state.SetItemsProcessed(state.iterations());
    std::filesystem::remove(path);
}
BENCHMARK(BM_SpdlogFile)->ArgNames({"level"})->Arg(4)->Arg(1)->Iterations(kRecords)->UseRealTime();

// Keeps each run's records per second for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            auto it = run.counters.find("items_per_second");
            // With repetitions, the median stands for the benchmark.
            if (it != run.counters.end() && (run.aggregate_name.empty() || run.aggregate_name == "median"))
                rates[run.run_name.str()] = it->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> rates;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto rate = [&](const std::string& prefix) {
        for (const auto& [name, value] : reporter.rates)
            if (name.rfind(prefix, 0) == 0)
                return value;
        return 0.0;
    };
    for (const char* level : {"4", "1"}) {
        const double theirs = rate(std::string("BM_SpdlogFile/level:") + level);
        for (const char* sync : {"0", "1"}) {
            const double ours = rate(std::string("BM_OrvLogFile/sync:") + sync + "/level:" + level);
            if (ours > 0 && theirs > 0)
                std::printf("format %s, OrvLog %s: %.0f records/s, spdlog flushing each record: %.0f records/s, ratio %.2f\n",
                            level, *sync == '1' ? "flushed to disk" : "write-through", ours, theirs, ours / theirs);
        }
    }
    std::filesystem::remove_all(BenchFolder());
    benchmark::Shutdown();
    return 0;
}
