// Tests through liborvlog.so in processes of their own (the writer program).
#include "logging/OrvLog.h"
#include "platform/ProcessIds.h"
#include "platform/TextConv.h"
#include "support/ChildProcess.h"
#include "support/LogFiles.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstring>
#include <elf.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sys/wait.h>
#include <chrono>
#include <thread>
#include <vector>

namespace {

// Starts the writer with the given arguments (argv[0] "writer") and the log folder.
pid_t StartWriter(const std::vector<std::string>& args, const std::filesystem::path& folder)
{
    std::vector<std::string> argStrings = {"writer"};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    return corvel::test::SpawnProgram(ORVLOG_WRITER_PATH, argStrings, {"ORVLOG_TEST_FOLDER=" + folder.string()});
}

int Wait(pid_t pid) { return corvel::test::WaitExitCode(pid); }

using corvel::test::ReadBytes;

std::vector<std::wstring> Lines(const std::string& bytes) { return corvel::test::LogFileLines(bytes); }

// The names of the defined symbols in an ELF file's dynamic symbol table (what the dynamic
// linker can bind), or an empty set when the file is no 64-bit ELF file.
std::set<std::string> DefinedDynamicSymbols(const std::string& image)
{
    std::set<std::string> names;
    const auto fits = [&](std::uint64_t offset, std::uint64_t size) {
        return offset <= image.size() && size <= image.size() - offset;
    };
    Elf64_Ehdr header;
    if (!fits(0, sizeof header))
        return names;
    std::memcpy(&header, image.data(), sizeof header);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64
        || header.e_shentsize != sizeof(Elf64_Shdr) || !fits(header.e_shoff, std::uint64_t{header.e_shnum} * sizeof(Elf64_Shdr)))
        return names;
    const auto section = [&](std::size_t index) {
        Elf64_Shdr s{};
        std::memcpy(&s, image.data() + header.e_shoff + index * sizeof s, sizeof s);
        return s;
    };
    for (std::size_t i = 0; i < header.e_shnum; ++i) {
        const Elf64_Shdr symbols = section(i);
        if (symbols.sh_type != SHT_DYNSYM || symbols.sh_link >= header.e_shnum || !fits(symbols.sh_offset, symbols.sh_size))
            continue;
        const Elf64_Shdr strings = section(symbols.sh_link);
        if (!fits(strings.sh_offset, strings.sh_size))
            continue;
        for (std::size_t k = 1; k < symbols.sh_size / sizeof(Elf64_Sym); ++k) {
            Elf64_Sym symbol;
            std::memcpy(&symbol, image.data() + symbols.sh_offset + k * sizeof symbol, sizeof symbol);
            if (symbol.st_shndx == SHN_UNDEF || symbol.st_name >= strings.sh_size)
                continue;
            const char* name = image.data() + strings.sh_offset + symbol.st_name;
            names.insert(std::string(name, ::strnlen(name, strings.sh_size - symbol.st_name)));
        }
    }
    return names;
}

// One record of the calling thread, as a log site writes it.
void LogSite(int severity, const std::wstring& message, int code)
{
    _OwnLogRecord record;
    std::memset(&record, 0, sizeof record);
    record.day = -1;
    char* time = OLGetTimeStr(&record);
    record.processId = platform::CurrentProcessId();
    record.threadId = platform::CurrentThreadId();
    record.timeText = time;
    record.severity = severity;
    record.code = code;
    record.message = message.c_str();
    OLOwnLogOutput(0, &record);
    OLDestroyInternalStr(&time, nullptr);
}

}  // namespace

// Example failure: the library exports a helper of its own (a C++ symbol, a run-time
// function linked in statically) or misses one of the functions programs bind by name.
TEST(OrvLogLibrary, ExportsExactlyTheOLFunctions)
{
    const std::set<std::string> expected = {
        "OLInitOwnLogW", "OLInitOwnLogA", "OLCloseOwnLog", "OLCreateOwnLog", "OLGetOwnLogHandle",
        "OLisOwnLog", "OLSetApplicationLog", "OLOpenOwnSystemChannel", "OLOpenOwnFileChannelW",
        "OLOpenOwnFileChannelA", "OLOpenOwnIDEChannel", "OLCloseOwnLogChannel", "OLSetOwnLogSeverityThreshold",
        "OLGetOwnLogSeverityThreshold", "OLSetOwnLogFileBuffering", "OLGetOwnLogFileBuffering",
        "OLGetOwnLogFileFolderW", "OLGetOwnLogFileFolderA", "OLIsOwnLogRecordNeeded", "OLOwnLogOutput",
        "OLSetOwnLinksW", "OLSetOwnLinksA", "OLGetTimeStr", "OLGetErrorStrW", "OLGetErrorStrA",
        "OLDestroyInternalStr", "OLGetOwnLogJobId", "OLSetOwnLogJobId", "OLSetOwnLogLibFuncId",
        "OLGetOwnLogLibFuncId", "OLReleaseOwnLogLibFuncId", "OLGetCurrentOwnLogPosition", "OLParseOwnLog",
        "OLReleaseOwnParserData", "OLMessageBoxW", "OLMessageBoxA", "OLMessageBoxStubW", "OLMessageBoxStubA",
    };
    ASSERT_EQ(expected.size(), 38u);
    EXPECT_EQ(DefinedDynamicSymbols(ReadBytes(ORVLOG_LIBRARY_PATH)), expected);
}

/// True when the log bytes hold a line of the writer program.
static bool HasWriterLine(const std::string& bytes)
{
    for (const auto& line : corvel::test::LogFileLines(bytes))
        if (line.find(L"MSG=writer B") != std::wstring::npos)
            return true;
    return false;
}

// Example failure: a parse while another process appends takes the file size between two
// writes of a record, so the record straddling it is lost to this parse and the next, or
// records still held in memory are missed; or the other process's records come back.
TEST(OrvLogLibrary, ParseWhileAnotherProcessWrites)
{
    corvel::test::TempDir dir;
    const pid_t writer = StartWriter({"write", "B", "3000", "1"}, dir.Path());
    ASSERT_GT(writer, 0);
    const std::wstring folder = platform::Utf8ToWide(dir.Path().string()) + L"/";
    ASSERT_EQ(OLInitOwnLogW(0, L"shared", folder.c_str(), false, false, 0, 4, 0), 0);
    ASSERT_EQ(OLSetOwnLogSeverityThreshold(0, 0, OL_CHANNEL_FILE), 0);
    uint64_t job = 0;
    ASSERT_EQ(OLSetOwnLogJobId(0, &job), 0);

    // Rounds go on while the writer writes, and a few more.
    uint32_t position = 0;
    int written = 0, status = 0, roundsAfterWriter = 0;
    bool writerRunning = true;
    while (roundsAfterWriter < 3) {
        for (int i = 0; i < 5; ++i, ++written) {
            const std::wstring message = L"ours " + std::to_wstring(written);
            // Every other round holds an ERROR record, which is written at once.
            LogSite(i == 2 && written % 2 ? OL_ERROR : OL_NOTICE, message, written);
        }
        _ParserDataItem** items = nullptr;
        uint32_t count = 0;
        ASSERT_EQ(OLParseOwnLog(0, &position, 0, 3, &items, &count), 0);
        ASSERT_EQ(count, 5u) << "round ending at record " << written;
        for (uint32_t i = 0; i < count; ++i) {
            EXPECT_EQ(items[i]->code, written - 5 + static_cast<int>(i));
            EXPECT_EQ(std::wstring(items[i]->message), L"ours " + std::to_wstring(written - 5 + i));
        }
        if (written == 5) {
            // Our first records are in the file; wait until the writer's are too, so the
            // writer's lines lie between our first and our last whatever the machine's load.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (!HasWriterLine(ReadBytes(dir / "shared.txt"))) {
                ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the writer never wrote";
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        if (writerRunning && ::waitpid(writer, &status, WNOHANG) == writer)
            writerRunning = false;
        if (!writerRunning)
            ++roundsAfterWriter;
        ASSERT_LT(written, 1000000) << "the writer never ends";
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    uint32_t start = 0;
    _ParserDataItem** items = nullptr;
    uint32_t count = 0;
    ASSERT_EQ(OLParseOwnLog(0, &start, 0, 3, &items, &count), 0);
    EXPECT_EQ(count, static_cast<uint32_t>(written));
    EXPECT_EQ(OLCloseOwnLog(0), 0);

    // The two processes really wrote at the same time: the writer's lines lie between ours.
    const auto lines = Lines(ReadBytes(dir / "shared.txt"));
    const auto ours = [](const std::wstring& line) { return line.find(L"MSG=ours ") != std::wstring::npos; };
    const auto first = std::find_if(lines.begin(), lines.end(), ours);
    const auto last = std::find_if(lines.rbegin(), lines.rend(), ours).base();
    EXPECT_TRUE(std::any_of(first, last, [](const std::wstring& line) {
        return line.find(L"MSG=writer B") != std::wstring::npos;
    }));
}

// Example failure: the configurator's log differs in any byte from what readers and the
// support team expect: mark, line ends, banners, labels, thresholds or the filtered record.
TEST(OrvLogLibrary, ConfiguratorStartupWritesTheGoldenFile)
{
    corvel::test::TempDir dir;
    ASSERT_EQ(Wait(StartWriter({"golden"}, dir.Path())), 0);
    EXPECT_EQ(ReadBytes(dir / "Corvel.txt"), ReadBytes(ORVLOG_GOLDEN_STARTUP));
}

// Example failure: a program that ends without closing its log loses the buffered records and
// the close banner (the library's unload must close every log).
TEST(OrvLogLibrary, UnloadAtExitClosesTheLog)
{
    corvel::test::TempDir dir;
    ASSERT_EQ(Wait(StartWriter({"unclosed"}, dir.Path())), 0);
    const auto lines = Lines(ReadBytes(dir / "unclosed.txt"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], L"SV=MANDATORY; CD=0; MSG=buffered at exit");
    EXPECT_TRUE(lines[2].starts_with(L"SV=MANDATORY; CD=0; MSG=   <<<<<<<<<<<<<<<<< Close the log channels: File_Output for: writer unclosed"));
}

// Example failure: records held in memory die with a program that ends abnormally, so its log
// holds the mark alone, or lacks the open banner or the records just before the end.
TEST(OrvLogLibrary, ProgramThatDiesAbnormallyLeavesEveryRecordInTheLog)
{
    for (const char* how : {"abort", "exit", "segv"}) {
        SCOPED_TRACE(how);
        corvel::test::TempDir dir;
        const pid_t writer = StartWriter({"crash", how}, dir.Path());
        ASSERT_GT(writer, 0);
        int status = 0;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
        EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the writer ended normally";
        const auto lines = Lines(ReadBytes(dir / "crash.txt"));
        ASSERT_EQ(lines.size(), 8u) << "the open banner and seven records; no close banner";
        EXPECT_TRUE(lines[0].starts_with(L"SV=MANDATORY; CD=0; MSG=   >>>>>>>>>>>>>>>>> Open the log channels: File_Output for: writer crash "));
        const wchar_t* names[] = {L"DEBUG", L"TRACE", L"NOTICE", L"WARNING", L"ERROR", L"MANDATORY", L"MANDATORY"};
        for (int severity = 0; severity <= 6; ++severity)
            EXPECT_EQ(lines[1 + severity], std::wstring(L"SV=") + names[severity] + L"; CD=" + std::to_wstring(severity)
                                               + L"; MSG=severity " + std::to_wstring(severity) + L" before "
                                               + platform::Utf8ToWide(how));
    }
}

// Example failure: a reader in another process, while the writer still has the log open,
// finds only the records that happened to be flushed (the "ERROR" ones) or none at all.
TEST(OrvLogLibrary, AnotherProcessReadsEveryRecordWhileTheWriterIsOpen)
{
    corvel::test::TempDir dir;
    constexpr int kCount = 50;
    const pid_t writer = StartWriter({"hold", std::to_string(kCount)}, dir.Path());
    ASSERT_GT(writer, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists(dir / "ready") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const bool ready = std::filesystem::exists(dir / "ready");
    const auto lines = Lines(ReadBytes(dir / "held.txt"));
    std::ofstream(dir / "release").close();
    ASSERT_EQ(Wait(writer), 0);
    ASSERT_TRUE(ready) << "the writer never logged its records";

    ASSERT_EQ(lines.size(), 1u + kCount) << "the open banner and every record, no close banner yet";
    const wchar_t* names[] = {L"DEBUG", L"TRACE", L"NOTICE", L"WARNING"};
    for (int i = 0; i < kCount; ++i)
        EXPECT_EQ(lines[1 + i], std::wstring(L"SV=") + names[i % 4] + L"; CD=" + std::to_wstring(i) + L"; MSG=held record "
                                    + std::to_wstring(i));
}

// Example failure: two processes appending to one log interleave bytes inside lines,
// overwrite each other's records, or write the byte-order mark twice.
TEST(OrvLogLibrary, TwoProcessesWriteOneFileWithoutInterleaving)
{
    corvel::test::TempDir dir;
    constexpr int kCount = 3000;
    const pid_t a = StartWriter({"write", "A", std::to_string(kCount), "0"}, dir.Path());
    const pid_t b = StartWriter({"write", "B", std::to_string(kCount), "1"}, dir.Path());
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    ASSERT_EQ(Wait(a), 0);
    ASSERT_EQ(Wait(b), 0);

    const std::string bytes = ReadBytes(dir / "shared.txt");
    ASSERT_EQ(bytes.find("\xFF\xFE", 2) % 2, 1u) << "a second byte-order mark at an even offset";
    const auto lines = Lines(bytes);
    const std::wregex record(LR"(\{[0-9A-F]+\}; ML=(\d+); PT=\d+:\d+; TM=[^;]+; F=Corvel_5.cpp,CCorvel_5App::InitInstance,210; )"
                             LR"(SV=NOTICE; CD=(\d+); MSG=writer ([AB]) record (\d+) x{150})");
    const std::wregex banner(LR"(\{[0-9A-F]+\}; ML=\d+; PT=[^;]+; TM=[^;]+; F=..\\LogEngine.cpp,LogEngine::(Initialize|Close),(107|47); SV=MANDATORY; CD=0; MSG=.*)");
    std::map<std::wstring, int> next;
    int banners = 0;
    for (const auto& line : lines) {
        std::wsmatch m;
        if (std::regex_match(line, banner)) {
            ++banners;
            continue;
        }
        ASSERT_TRUE(std::regex_match(line, m, record)) << platform::WideToUtf8(line.substr(0, 300));
        const int index = std::stoi(m[4]);
        EXPECT_EQ(index, next[m[3]]++);
        EXPECT_EQ(std::stoi(m[2]), index);
    }
    EXPECT_EQ(banners, 4);
    EXPECT_EQ(next[L"A"], kCount);
    EXPECT_EQ(next[L"B"], kCount);
}

// Example failure: each process that starts empties the log (recreate on) while the others are
// still writing it, so only the last start's open banner survives and the others' records are
// written into the middle of nothing.
TEST(OrvLogLibrary, AStartNeverEmptiesALogThatAnotherProcessHasOpen)
{
    corvel::test::TempDir dir;
    constexpr int kProcesses = 5;
    constexpr int kCount = 3;
    std::vector<pid_t> writers;
    for (int p = 0; p < kProcesses; ++p) {
        const std::string tag = "P" + std::to_string(p);
        writers.push_back(StartWriter({"hold", std::to_string(kCount), tag}, dir.Path()));
        ASSERT_GT(writers.back(), 0);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!std::filesystem::exists(dir / ("ready" + tag)) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::ofstream(dir / "release").close();
    for (pid_t writer : writers)
        ASSERT_EQ(Wait(writer), 0);

    const auto lines = Lines(ReadBytes(dir / "held.txt"));
    int opens = 0, closes = 0;
    std::map<std::wstring, int> records;
    for (const auto& line : lines) {
        opens += line.find(L"Open the log channels") != std::wstring::npos;
        closes += line.find(L"Close the log channels") != std::wstring::npos;
        if (const auto at = line.find(L" of P"); at != std::wstring::npos)
            ++records[line.substr(at + 4)];
    }
    EXPECT_EQ(opens, kProcesses);
    EXPECT_EQ(closes, kProcesses);
    ASSERT_EQ(records.size(), static_cast<std::size_t>(kProcesses));
    for (const auto& [tag, count] : records)
        EXPECT_EQ(count, kCount) << platform::WideToUtf8(tag);

    // With nobody else writing it, the next start empties it as before.
    const pid_t last = StartWriter({"hold", "1", "L"}, dir.Path());
    ASSERT_GT(last, 0);
    ASSERT_EQ(Wait(last), 0);
    EXPECT_EQ(Lines(ReadBytes(dir / "held.txt")).size(), 3u);
}
