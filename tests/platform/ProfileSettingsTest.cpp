#include "platform/ProfileSettings.h"

#include "support/FullDisk.h"
#include "support/TempDir.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace platform;
using corvel::test::TempDir;

class ProfileSettingsTest : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path file = dir / "Corvel.ini";
    ProfileSettings settings{file};
};

// Example failure: "PollingTime=abc" is read as 0 and the polling timers spin, or a negative
// value loses its sign.
TEST_F(ProfileSettingsTest, IntegersAreTheLeadingNumberOrTheDefault)
{
    struct Row {
        const char* name;
        const char* value;  // null: key missing
        int expected;
    } rows[] = {
        {"missing", nullptr, 77},
        {"empty", "", 77},
        {"plain", "2000", 2000},
        {"negative", "-5", -5},
        {"plus", "+12", 12},
        {"leading_number", "115200 baud", 115200},
        {"not_a_number", "abc", 77},
        {"sign_only", "-", 77},
        {"hex_is_not_read_as_hex", "0x10", 0},
        {"saturates_high", "99999999999", 2147483647},
        {"saturates_low", "-99999999999", -2147483647 - 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string text = "[Communications]\n";
        if (row.value)
            text += std::string("BaudRate=") + row.value + "\n";
        dir.Write("Corvel.ini", text);
        EXPECT_EQ(settings.GetProfileInt("Communications", "BaudRate", 77), row.expected);
    }
}

// Example failure: a key written as "PollingTime" is not found as "pollingtime", so every
// setting falls back to its default after a restart.
TEST_F(ProfileSettingsTest, SectionsAndKeysIgnoreCase)
{
    dir.Write("Corvel.ini", "[LastConfig]\nPollingTime=500\n");
    EXPECT_EQ(settings.GetProfileInt("lastconfig", "POLLINGTIME", 0), 500);
    ASSERT_TRUE(settings.WriteProfileInt("LASTCONFIG", "pollingtime", 750));
    const std::string text = dir.Read("Corvel.ini");
    EXPECT_NE(text.find("PollingTime=750"), std::string::npos) << text;
    EXPECT_EQ(text.find("750", text.find("750") + 1), std::string::npos) << "key written twice:\n" << text;
}

// Example failure: writing one key rewrites the file from scratch and drops the other sections,
// keys and the operator's comments; or writes "key = value" that older readers reject.
TEST_F(ProfileSettingsTest, WritesKeepTheRestOfTheFile)
{
    dir.Write("Corvel.ini",
              "; operator notes\n[LastConfig]\nDebug=1\nPos0=1 100 200\n\n[Communications]\nPort=2\n");
    ASSERT_TRUE(settings.WriteProfileString("Communications", "LastPortName", "/dev/ttyUSB0"));
    ASSERT_TRUE(settings.WriteProfileInt("NewSection", "Value", -3));

    const std::string text = dir.Read("Corvel.ini");
    EXPECT_NE(text.find("; operator notes"), std::string::npos) << text;
    EXPECT_NE(text.find("LastPortName=/dev/ttyUSB0"), std::string::npos) << text;
    EXPECT_EQ(text.find(" = "), std::string::npos) << text;
    EXPECT_EQ(settings.GetProfileString("LastConfig", "Pos0", ""), "1 100 200");
    EXPECT_EQ(settings.GetProfileInt("LastConfig", "Debug", 0), 1);
    EXPECT_EQ(settings.GetProfileInt("Communications", "Port", 0), 2);
    EXPECT_EQ(settings.GetProfileInt("NewSection", "Value", 0), -3);

    ASSERT_TRUE(settings.DeleteProfileKey("LastConfig", "Debug"));
    EXPECT_EQ(settings.GetProfileInt("LastConfig", "Debug", 9), 9);
    EXPECT_EQ(settings.GetProfileString("LastConfig", "Pos0", ""), "1 100 200");
}

// Example failure: values keep blanks or quotes around them, so a port name read back does not
// match the port list.
TEST_F(ProfileSettingsTest, StringsAreTrimmedAndUnquoted)
{
    dir.Write("Corvel.ini", "[A]\nName =  \"COM 5\"  \nPlain=x\n");
    EXPECT_EQ(settings.GetProfileString("A", "Name", "?"), "COM 5");
    EXPECT_EQ(settings.GetProfileString("A", "Missing", "?"), "?");
}

// Example failure: a save that fails half-way leaves a truncated settings file behind, or the
// temporary file stays in the data folder.
TEST_F(ProfileSettingsTest, SaveIsAtomicAndLeavesNoTemporaryFiles)
{
    dir.Write("Corvel.ini", "[A]\nKeep=1\n");
    ASSERT_TRUE(settings.WriteProfileInt("A", "New", 2));
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename(), "Corvel.ini");

    // A folder that cannot be written: the write fails and the old file is untouched.
    if (::geteuid() != 0) {
        ::chmod(dir.Path().c_str(), 0500);
        EXPECT_FALSE(settings.WriteProfileInt("A", "Keep", 5));
        ::chmod(dir.Path().c_str(), 0700);
    }
    ProfileSettings nowhere(dir / "missing-folder" / "Corvel.ini");
    EXPECT_FALSE(nowhere.WriteProfileInt("A", "B", 1));
    EXPECT_EQ(settings.GetProfileInt("A", "Keep", 0), 1);
}

// Example failure: a missing settings file is an error instead of an empty profile, so a first
// start cannot save anything.
TEST_F(ProfileSettingsTest, MissingFileIsAnEmptyProfile)
{
    EXPECT_EQ(settings.GetProfileInt("LastConfig", "PollingTime", 2000), 2000);
    ASSERT_TRUE(settings.WriteProfileInt("LastConfig", "PollingTime", 1000));
    EXPECT_EQ(dir.Read("Corvel.ini").find("[LastConfig]"), 0u);
}

namespace {

// Runs `body` in a child process that cannot override file permissions (a root test run
// drops to an unprivileged user, with `dir` handed to it) and gives what it wrote to `out`.
// Empty when the child did not end in time or failed.
std::string RunUnprivileged(const std::filesystem::path& dir, const std::function<std::string()>& body)
{
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
            (void)::lchown(entry.path().c_str(), kNobody, kNobody);
        (void)::lchown(dir.c_str(), kNobody, kNobody);
    }
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(2);
        const std::string result = body();
        (void)!::write(fds[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    for (;;) {
        char buffer[512];
        pollfd poll{fds[0], POLLIN, 0};
        if (::poll(&poll, 1, 100) > 0) {
            const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            result.append(buffer, static_cast<std::size_t>(n));
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            result.clear();
            break;
        }
    }
    ::close(fds[0]);
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? result : std::string();
}

std::string ModeAndKind(const std::filesystem::path& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return "missing";
    char text[32];
    std::snprintf(text, sizeof text, "%s %o", S_ISLNK(st.st_mode) ? "link" : S_ISREG(st.st_mode) ? "file" : "other",
                  static_cast<unsigned>(st.st_mode & 0777));
    return text;
}

}  // namespace

// Example failure: a settings file that cannot be read (no permission, a FIFO, a folder, an
// oversized file) is taken as empty and the first write puts a fresh file in its place, losing
// every other section; a read-only file is replaced by the rename; a link is replaced by a
// regular file so the settings split; a FIFO hangs the read; a problem is logged on every key.
TEST(ProfileSettingsFileStates, OnlyAMissingFileIsEmptyAndNoOtherFileIsReplaced)
{
    const std::string stored = "[Other]\nKeep=7\n[LastConfig]\nPollingTime=500\n";
    struct Row {
        const char* name;
        std::function<void(const TempDir&)> make;
        const char* readValue;  // what PollingTime reads (default "2000")
        bool writes;            // the write of a new key succeeds
        int reports;            // problem reports over two reads and two writes
    } rows[] = {
        {"missing", [](const TempDir&) {}, "2000", true, 0},
        {"empty", [](const TempDir& d) { d.Write("Corvel.ini", ""); }, "2000", true, 0},
        {"regular", [&](const TempDir& d) { d.Write("Corvel.ini", stored); }, "500", true, 0},
        {"unreadable",
         [&](const TempDir& d) {
             d.Write("Corvel.ini", stored);
             ::chmod((d / "Corvel.ini").c_str(), 0200);
         },
         "2000", false, 1},
        {"read_only",
         [&](const TempDir& d) {
             d.Write("Corvel.ini", stored);
             ::chmod((d / "Corvel.ini").c_str(), 0444);
         },
         "500", false, 1},
        {"link",
         [&](const TempDir& d) {
             std::filesystem::create_directory(d / "real");
             d.Write("real/settings.ini", stored);
             std::filesystem::create_symlink("real/settings.ini", d / "Corvel.ini");
         },
         "500", true, 0},
        {"link_to_missing",
         [](const TempDir& d) {
             std::filesystem::create_directory(d / "real");
             std::filesystem::create_symlink("real/settings.ini", d / "Corvel.ini");
         },
         "2000", true, 0},
        {"fifo", [](const TempDir& d) { ::mkfifo((d / "Corvel.ini").c_str(), 0600); }, "2000", false, 1},
        {"folder", [](const TempDir& d) { std::filesystem::create_directory(d / "Corvel.ini"); }, "2000", false, 1},
        {"oversized",
         [&](const TempDir& d) { d.Write("Corvel.ini", stored + std::string(ProfileSettings::kMaxFileBytes, ';')); },
         "2000", false, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        row.make(dir);
        const std::filesystem::path file = dir / "Corvel.ini";
        const std::string kindBefore = ModeAndKind(file);
        const bool readable = kindBefore.rfind("file", 0) == 0 && kindBefore != "file 200";
        const std::string bytesBefore = readable ? dir.Read("Corvel.ini") : std::string();

        const std::string result = RunUnprivileged(dir.Path(), [&] {
            std::vector<std::string> reports;
            ProfileSettings::SetProblemReporter([&](const std::string& text) { reports.push_back(text); });
            ProfileSettings settings(file);
            std::string out = settings.GetProfileString("LastConfig", "PollingTime", "2000");
            out += "|" + settings.GetProfileString("LastConfig", "PollingTime", "2000");
            out += std::string("|") + (settings.WriteProfileInt("LastConfig", "DebugMode", 1) ? "w" : "-");
            out += std::string("|") + (settings.WriteProfileInt("LastConfig", "Animation", 1) ? "w" : "-");
            out += "|" + std::to_string(reports.size());
            ProfileSettings::SetProblemReporter(nullptr);
            return out;
        });
        ASSERT_FALSE(result.empty()) << "the child hung or failed";
        const std::string expected = std::string(row.readValue) + "|" + row.readValue + "|" + (row.writes ? "w|w" : "-|-")
                                     + "|" + std::to_string(row.reports);
        EXPECT_EQ(result, expected);

        const std::string kindAfter = ModeAndKind(file);
        if (!row.writes) {
            EXPECT_EQ(kindAfter, kindBefore) << "the file was replaced";
            if (readable)
                EXPECT_EQ(dir.Read("Corvel.ini"), bytesBefore);
            continue;
        }
        if (kindBefore != "missing")
            EXPECT_EQ(kindAfter.substr(0, 4), kindBefore.substr(0, 4)) << "a link must stay a link";
        ProfileSettings reread(file);
        EXPECT_EQ(reread.GetProfileInt("LastConfig", "DebugMode", 0), 1);
        EXPECT_EQ(reread.GetProfileInt("LastConfig", "Animation", 0), 1);
        EXPECT_EQ(reread.GetProfileString("LastConfig", "PollingTime", "2000"), row.readValue);
        if (std::string(row.readValue) == "500") {
            EXPECT_EQ(reread.GetProfileInt("Other", "Keep", 0), 7);
        }
    }
}

// Example failure: processes that write keys at the same time each load the file, change it
// and rename their copy over the others', so most keys are lost.
TEST(ProfileSettingsProcesses, ConcurrentWritersKeepEveryKey)
{
    TempDir dir;
    corvel::test::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.Path().string());
    const std::filesystem::path file = dir / "Corvel.ini";
    constexpr int kWriters = 4;
    constexpr int kKeys = 100;
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ProfileSettings settings(file);
            bool ok = true;
            for (int k = 0; k < kKeys; ++k)
                ok = settings.WriteProfileInt("Writer" + std::to_string(w), "Key" + std::to_string(k), k) && ok;
            ::_exit(ok ? 0 : 1);
        }
        ASSERT_GT(pid, 0);
        writers.push_back(pid);
    }
    for (pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ProfileSettings settings(file);
    int kept = 0;
    for (int w = 0; w < kWriters; ++w)
        for (int k = 0; k < kKeys; ++k)
            kept += settings.GetProfileInt("Writer" + std::to_string(w), "Key" + std::to_string(k), -1) == k;
    EXPECT_EQ(kept, kWriters * kKeys);
}

// Example failure: the parsed file is kept and another writer's change (a rename over it, or
// a rewrite in place of the same size) is never seen.
TEST_F(ProfileSettingsTest, ChangesByOthersAreSeen)
{
    dir.Write("Corvel.ini", "[A]\nKey=1\n");
    EXPECT_EQ(settings.GetProfileInt("A", "Key", 0), 1);
    dir.Write("next.ini", "[A]\nKey=2\n");
    std::filesystem::rename(dir / "next.ini", file);
    EXPECT_EQ(settings.GetProfileInt("A", "Key", 0), 2);
    dir.Write("Corvel.ini", "[A]\nKey=3\n");
    EXPECT_EQ(settings.GetProfileInt("A", "Key", 0), 3);
    std::filesystem::remove(file);
    EXPECT_EQ(settings.GetProfileInt("A", "Key", 0), 0);
}

// Example failure: a value with a line break in it (a path chosen in a file dialog) writes a
// second key into the file, or a name that is a comment or holds the separator is written and
// never reads back.
TEST_F(ProfileSettingsTest, WritesThatWouldNotReadBackAreRefused)
{
    dir.Write("Corvel.ini", "[LastConfig]\nDebugMode=0\n");
    struct Row {
        const char* section;
        const char* key;
        std::string value;
    } rows[] = {
        {"LastConfig", "RunApp", "/tmp/a\nDebugMode=1"},
        {"LastConfig", "RunApp", "/tmp/a\rDebugMode=1"},
        {"LastConfig", "RunApp", std::string("/tmp/a\0b", 8)},
        {"LastConfig", "Run\nApp", "x"},
        {"LastConfig", ";RunApp", "x"},
        {"LastConfig", "Run=App", "x"},
        {"LastConfig", " RunApp", "x"},
        {"Last]Config", "RunApp", "x"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key);
        EXPECT_FALSE(settings.WriteProfileString(row.section, row.key, row.value));
    }
    EXPECT_EQ(dir.Read("Corvel.ini"), "[LastConfig]\nDebugMode=0\n");
    EXPECT_TRUE(settings.WriteProfileString("LastConfig", "RunApp", "/opt/run me"));
    EXPECT_EQ(settings.GetProfileString("LastConfig", "RunApp", ""), "/opt/run me");
}

// Example failure: a write that cannot land (a full disk, a data folder that is not writable)
// leaves a settings file empty or cut, leaves its temporary copy behind, or goes unreported.
TEST(ProfileSettingsFaults, AWriteThatCannotLandLeavesTheFileAndIsReported)
{
    const std::string stored = "[Other]\nKeep=7\n[LastConfig]\nPollingTime=500\n";
    // A value longer than the free room left in the file's last block.
    const std::string longValue(8192, 'v');
    auto writeOnce = [&](const std::filesystem::path& file) {
        std::vector<std::string> reports;
        ProfileSettings::SetProblemReporter([&](const std::string& text) { reports.push_back(text); });
        ProfileSettings settings(file);
        std::string out = settings.GetProfileString("LastConfig", "PollingTime", "2000");
        out += std::string("|") + (settings.WriteProfileString("LastConfig", "Path", longValue) ? "w" : "-");
        out += "|" + std::to_string(reports.size());
        if (!reports.empty())
            out += "|" + reports.front();
        ProfileSettings::SetProblemReporter(nullptr);
        return out;
    };
    auto filesIn = [](const std::filesystem::path& folder) {
        return std::distance(std::filesystem::directory_iterator(folder), {});
    };
    {
        SCOPED_TRACE("full disk");
        TempDir dir;
        corvel::test::FullDisk disk(dir / "disk", 256 * 1024);
        if (disk.Mounted()) {
            const std::filesystem::path file = dir / "disk" / "Corvel.ini";
            std::ofstream(file, std::ios::binary) << stored;
            ASSERT_TRUE(disk.Fill());
            const std::string result = writeOnce(file);
            EXPECT_EQ(result.rfind("500|-|1|", 0), 0u) << result;
            EXPECT_NE(result.find(std::strerror(ENOSPC)), std::string::npos) << result;
            EXPECT_EQ(dir.Read("disk/Corvel.ini"), stored);
            EXPECT_EQ(filesIn(dir / "disk"), 2) << "no temporary copy is left behind";
        }
    }
    {
        SCOPED_TRACE("data folder not writable");
        TempDir dir;
        dir.Write("Corvel.ini", stored);
        ::chmod(dir.Path().c_str(), 0555);
        const std::string result = RunUnprivileged(dir.Path(), [&] { return writeOnce(dir / "Corvel.ini"); });
        ::chmod(dir.Path().c_str(), 0755);
        EXPECT_EQ(result.rfind("500|-|1|", 0), 0u) << result;
        EXPECT_EQ(dir.Read("Corvel.ini"), stored);
        EXPECT_EQ(filesIn(dir.Path()), 1);
    }
}

// Example failure: a settings file cut in the middle of a line (a disk that filled while
// another program wrote it) loses more than the cut line at the next write.
TEST(ProfileSettingsFaults, ACutFileKeepsEveryWholeLineThroughAWrite)
{
    const std::string whole = "[Other]\nKeep=7\n[LastConfig]\nPollingTime=500\nRunApp=/opt/tool\n";
    TempDir dir;
    const std::filesystem::path file = dir / "Corvel.ini";
    // Every cut: inside a section name, a key, after "=", inside a value, before a line end.
    for (std::size_t cut = 1; cut < whole.size(); ++cut) {
        SCOPED_TRACE(whole.substr(0, cut));
        dir.Write("Corvel.ini", whole.substr(0, cut));
        ProfileSettings settings(file);
        ASSERT_TRUE(settings.WriteProfileInt("LastConfig", "DebugMode", 1));
        ProfileSettings reread(file);
        const std::string kept = whole.substr(0, whole.rfind('\n', cut - 1) == std::string::npos ? 0 : whole.rfind('\n', cut - 1) + 1);
        EXPECT_EQ(reread.GetProfileInt("LastConfig", "DebugMode", 0), 1);
        if (kept.find("Keep=7\n") != std::string::npos)
            EXPECT_EQ(reread.GetProfileInt("Other", "Keep", 0), 7);
        if (kept.find("PollingTime=500\n") != std::string::npos)
            EXPECT_EQ(reread.GetProfileInt("LastConfig", "PollingTime", 0), 500);
        if (kept.find("RunApp=/opt/tool\n") != std::string::npos)
            EXPECT_EQ(reread.GetProfileString("LastConfig", "RunApp", ""), "/opt/tool");
    }
}
