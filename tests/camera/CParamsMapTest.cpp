#include "camera/CParamsMap.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

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
    map.Set("alpha", "a=b");
    map.Set("", "ignored");
    ASSERT_TRUE(map.Save(dir / "s.gui"));
    EXPECT_EQ(dir.Read("s.gui"), "alpha=a=b\r\nzeta=1\r\n\xC3\xA4=high byte sorts last\r\n");

    dir.Write("w.rgs", "57 6034 00000001\r\n");
    ASSERT_TRUE(map.Save(dir / "w.rgs", true, "-- "));
    EXPECT_EQ(dir.Read("w.rgs"),
              "57 6034 00000001\r\n-- alpha=a=b\r\n-- zeta=1\r\n-- \xC3\xA4=high byte sorts last\r\n");

    // Everything but the entry with "=" in its value comes back.
    CParamsMap back;
    ASSERT_TRUE(back.Load(dir / "w.rgs"));
    EXPECT_EQ(back.Items(), (CParamsMap::Entries{{"zeta", "1"}, {"\xC3\xA4", "high byte sorts last"}}));
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
