#include "camera/CParamsMap.h"

#include "camera/LinkLog.h"
#include "support/FullDisk.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using corvel::test::TempDir;

namespace {

struct LoadRow {
    const char* name;
    std::string line;
    const char* key;    // null: the line gives no entry
    const char* value;
};

const LoadRow kLoadRows[] = {
    {"workspace_prefix", "-- color.mode=1\r\n", "color.mode", "1"},
    {"leading_blanks", "  x=1\n", "x", "1"},
    {"empty_value_before_cr", "key=\r\n", "key", ""},
    {"empty_value_before_lf", "key=\n", nullptr, nullptr},
    {"two_equals", "a=b=c\n", nullptr, nullptr},
    {"no_equals", "57 6034 00000001\r\n", nullptr, nullptr},
    {"key_only_low_characters", "-- !=1\n", nullptr, nullptr},
    {"utf8_value_end_kept", "name=Kamera \xC3\xA4\r\n", "name", "Kamera \xC3\xA4"},
    {"utf8_key_start_kept", "\xC3\xA4rger=1\n", "\xC3\xA4rger", "1"},
    {"last_line_without_end", "z=9", "z", "9"},
    {"value_keeps_inner_blanks", "color.parameters=0.0;1.0;1.0;0.0 \r\n", "color.parameters", "0.0;1.0;1.0;0.0 "},
};

}  // namespace

// Example failure: a workspace's "-- " lines lose their keys, a CR LF file keeps the CR in every
// value, or a value ending in a non-ASCII character loses it.
TEST(CParamsMap, LoadTakesOnlyKeyValueLines)
{
    TempDir dir;
    for (const LoadRow& row : kLoadRows) {
        SCOPED_TRACE(row.name);
        dir.Write("s.gui", row.line);
        CParamsMap map;
        EXPECT_TRUE(map.Load(dir / "s.gui"));
        if (row.key) {
            ASSERT_EQ(map.Items().size(), 1u);
            EXPECT_EQ(map.Items().begin()->first, row.key);
            EXPECT_EQ(map.Items().begin()->second, row.value);
        } else {
            EXPECT_TRUE(map.Items().empty());
        }
    }
}

// Example failure: a later duplicate does not win, or a failed load keeps the previous entries.
TEST(CParamsMap, LoadReplacesEverything)
{
    TempDir dir;
    dir.Write("a.gui", "k=1\r\nk=2\r\nother=x\r\n");
    CParamsMap map;
    map.Set("stale", "1");
    ASSERT_TRUE(map.Load(dir / "a.gui"));
    EXPECT_EQ(map.Items(), (CParamsMap::Entries{{"k", "2"}, {"other", "x"}}));

    dir.Write("empty.gui", "");
    EXPECT_FALSE(map.Load(dir / "empty.gui"));
    EXPECT_TRUE(map.Items().empty());
    map.Set("k", "1");
    EXPECT_FALSE(map.Load(dir / "missing.gui"));
    EXPECT_TRUE(map.Items().empty());
    EXPECT_EQ(map.FileName(), dir / "missing.gui");

    CParamsMap unnamed;
    EXPECT_FALSE(unnamed.Load());
}

// Example failure: a save is not byte-exact (LF instead of CR LF, entries out of key order), so
// an older program or the download terminal cannot read the file back.
TEST(CParamsMap, SaveWritesSortedLinesAndRoundTrips)
{
    TempDir dir;
    CParamsMap map;
    map.Set("zeta", "1");
    map.Set("\xC3\xA4", "high byte sorts last");
    map.Set("alpha", "a b");
    map.Set("", "ignored");
    ASSERT_TRUE(map.Save(dir / "s.gui"));
    EXPECT_EQ(dir.Read("s.gui"), "alpha=a b\r\nzeta=1\r\n\xC3\xA4=high byte sorts last\r\n");

    dir.Write("w.rgs", "57 6034 00000001\r\n");
    ASSERT_TRUE(map.Save(dir / "w.rgs", true, "-- "));
    EXPECT_EQ(dir.Read("w.rgs"),
              "57 6034 00000001\r\n-- alpha=a b\r\n-- zeta=1\r\n-- \xC3\xA4=high byte sorts last\r\n");

    CParamsMap back;
    ASSERT_TRUE(back.Load(dir / "w.rgs"));
    EXPECT_EQ(back.Items(), map.Items());
}

// Example failure: an append to a missing file creates it, or saving an empty map reports
// success; a failed save leaves a half-written settings file.
TEST(CParamsMap, SaveFailures)
{
    TempDir dir;
    CParamsMap map;
    map.Set("k", "v");
    EXPECT_FALSE(map.Save(dir / "missing.rgs", true, "-- "));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.rgs"));
    EXPECT_FALSE(map.Save({}));
    EXPECT_FALSE(map.Save(dir / "no-folder" / "s.gui"));

    dir.Write("s.gui", "old=1\r\n");
    CParamsMap empty;
    EXPECT_FALSE(empty.Save(dir / "s.gui"));
    EXPECT_EQ(dir.Read("s.gui"), "") << "an empty map leaves the file empty";
    dir.Write("t.rgs", "x\r\n");
    EXPECT_FALSE(empty.Save(dir / "t.rgs", true, "-- "));
    EXPECT_EQ(dir.Read("t.rgs"), "x\r\n");
}

// Example failure: the factory defaults differ in text or number, or a serial number with a
// slash writes the settings file outside the data folder.
TEST(CParamsMap, DefaultsAndFileNames)
{
    CParamsMap map;
    map.SetDefaults();
    EXPECT_EQ(map.Items(), (CParamsMap::Entries{{"color.enable", "1"},
                                                 {"color.units", "0"},
                                                 {"color.mode", "1"},
                                                 {"color.parameters", "0.0;1.0;1.0;0.0"},
                                                 {"exposure.tab", "0"}}));
    EXPECT_EQ(CParamsMap::Defaults().front().first, std::string("color.enable"));

    struct Row {
        const char* key;
        long space;
        const char* file;
    } rows[] = {
        {"S1234", -1, "S1234.gui"},   {"S1234", 2, "S1234.user2.gui"},  {"S1234", 0, "S1234.user0.gui"},
        {"../etc", -1, ".._etc.gui"}, {"a\\b", 1, "a_b.user1.gui"},     {"..", -1, "_.gui"},
        {"a\nb", -1, "a_b.gui"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        EXPECT_EQ(GuiSettingsFileName(row.key, row.space), row.file);
    }
}

// Example failure: the splitter drops empty pieces between delimiters or adds one at the end.
TEST(CParamsMap, SplitStringLikeAStreamRead)
{
    std::vector<std::string> pieces;
    SplitString("a==b=", '=', pieces);
    EXPECT_EQ(pieces, (std::vector<std::string>{"a", "", "b"}));
    pieces.clear();
    SplitString("", '=', pieces);
    EXPECT_TRUE(pieces.empty());
    SplitString("=", '=', pieces);
    EXPECT_EQ(pieces, (std::vector<std::string>{""}));
}

namespace {

/// Takes the link's log records while it lives.
struct LogCapture {
    std::vector<std::string> lines;
    camera::LinkLogSink previous;
    LogCapture()
    {
        previous = camera::SetLinkLogSink(
            [this](const char* method, const std::string& text) { lines.push_back(std::string(method) + "|" + text); });
    }
    ~LogCapture() { camera::SetLinkLogSink(previous); }
};

}  // namespace

// Example failure: Set takes an entry that Save writes and Load reads back changed or not at
// all, so a setting silently changes between runs.
TEST(CParamsMap, SetRefusesEntriesAFileCannotCarry)
{
    struct Row {
        const char* name;
        std::string key, value;
        bool taken;
    } rows[] = {
        {"plain", "color.mode", "7", true},
        {"inner blanks and UTF-8", "name", " Kamera \xC3\xA4", true},
        {"value with =", "alpha", "a=b", false},
        {"key with =", "a=b", "1", false},
        {"key starting with a blank", " key", "1", false},
        {"key starting with '-'", "-key", "1", false},
        {"key starting with '/'", "/key", "1", false},
        {"line feed in value", "k", "a\nb=c", false},
        {"carriage return in value", "k", "a\rb", false},
        {"line feed in key", "k\nx", "1", false},
        {"trailing tab", "k", "v\t", false},
        {"trailing carriage return", "k", "v\r", false},
    };
    TempDir dir;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LogCapture log;
        CParamsMap map;
        map.Set("before", "1");
        EXPECT_EQ(map.Set(row.key, row.value), row.taken);
        if (!row.taken) {
            EXPECT_EQ(map.Items(), (CParamsMap::Entries{{"before", "1"}}));
            ASSERT_EQ(log.lines.size(), 1u);
            EXPECT_EQ(log.lines[0].rfind("CParamsMap::Set|", 0), 0u) << log.lines[0];
            continue;
        }
        EXPECT_TRUE(log.lines.empty());
        ASSERT_TRUE(map.Save(dir / "r.gui"));
        CParamsMap back;
        ASSERT_TRUE(back.Load(dir / "r.gui"));
        EXPECT_EQ(back.Items(), map.Items()) << "what Set takes comes back unchanged";
    }
}

// Example failure: a folder in the settings file's place throws std::ios_base::failure out of
// Load and ends the program during identification; a read error does the same; a huge file
// takes seconds and hundreds of megabytes.
TEST(CParamsMap, LoadRefusesWhatItCannotReadWithALogRecord)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "folder.gui");
    {
        std::ofstream big(dir / "big.gui", std::ios::binary);
        big << "k=" << std::string(CParamsMap::kMaxFileBytes, 'x') << "\r\n";
    }
    const std::filesystem::path rows[] = {dir / "folder.gui", "/proc/self/mem", dir / "big.gui"};
    for (const auto& path : rows) {
        SCOPED_TRACE(path.string());
        LogCapture log;
        CParamsMap map;
        map.Set("stale", "1");
        bool loaded = true;
        EXPECT_NO_THROW(loaded = map.Load(path));
        EXPECT_FALSE(loaded);
        EXPECT_TRUE(map.Items().empty());
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_NE(log.lines[0].find(path.string()), std::string::npos) << log.lines[0];
    }

    LogCapture log;
    CParamsMap map;
    EXPECT_FALSE(map.Load(dir / "missing.gui"));
    EXPECT_TRUE(log.lines.empty()) << "a camera seen for the first time has no file; nothing to log";
}

// Example failure: a settings file that was there but could not be read (so the run started
// without it) is replaced by the run's settings, empty ones too, when the camera is closed.
TEST(CParamsMap, SaveNeverReplacesAFileItCannotRead)
{
    TempDir dir;
    const std::string big = "k=" + std::string(CParamsMap::kMaxFileBytes, 'x') + "\r\n";
    dir.Write("big.gui", big);
    std::filesystem::create_directory(dir / "folder.gui");
    for (const char* name : {"big.gui", "folder.gui"}) {
        SCOPED_TRACE(name);
        LogCapture log;
        CParamsMap map;
        EXPECT_FALSE(map.Load(dir / name));
        map.Set("new", "1");
        EXPECT_FALSE(map.Save(dir / name));
        ASSERT_EQ(log.lines.size(), 2u) << "the refused load and the refused save";
        EXPECT_EQ(log.lines[1].rfind("CParamsMap::Save|", 0), 0u) << log.lines[1];
        EXPECT_NE(log.lines[1].find(name), std::string::npos) << log.lines[1];
    }
    EXPECT_EQ(std::filesystem::file_size(dir / "big.gui"), big.size());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.gui"));
}

// Example failure: on a full disk a save fails without a word in the log, and an append leaves
// part of its lines at the end of the workspace file.
TEST(CParamsMap, AFullDiskLeavesEachFileAsItWasWithALogRecord)
{
    TempDir dir;
    corvel::test::FullDisk disk(dir / "disk", 256 * 1024);
    if (!disk.Mounted())
        GTEST_SKIP() << "no file system of its own can be mounted here";
    const std::filesystem::path gui = dir / "disk" / "s.gui";
    const std::filesystem::path workspace = dir / "disk" / "w.rgs";
    {
        std::ofstream(gui, std::ios::binary) << "old=1\r\n";
        std::ofstream(workspace, std::ios::binary) << "x\r\n";
    }
    ASSERT_TRUE(disk.Fill());
    CParamsMap map;
    // More than the free room left in a file's last block.
    for (int i = 0; i < 1000; ++i)
        map.Set("key" + std::to_string(i), "value" + std::to_string(i));
    struct Row {
        const char* name;
        std::filesystem::path file;
        bool append;
        std::string before;
    } rows[] = {{"replace", gui, false, "old=1\r\n"}, {"append", workspace, true, "x\r\n"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LogCapture log;
        EXPECT_FALSE(map.Save(row.file, row.append, row.append ? "-- " : nullptr));
        std::ifstream in(row.file, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), row.before);
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_NE(log.lines[0].find(row.file.string()), std::string::npos) << log.lines[0];
        EXPECT_NE(log.lines[0].find(std::strerror(ENOSPC)), std::string::npos) << log.lines[0];
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "disk"), {}), 3)
        << "no temporary file is left behind";
}
