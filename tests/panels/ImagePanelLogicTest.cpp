// The image panel's rules that need no window: binning radios, tap choices, the 12-bit cut and
// the combo box's prefix search.
#include "panels/ImagePanelLogic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace image_panel;

// Example failure: the 4x radio shows or writes 2 (the camera's 4x binning is 3), or a value
// of 2 checks a radio.
TEST(ImagePanelLogic, BinningRadioOfEachValue)
{
    const struct {
        int value;
        int radio;
    } rows[] = {{0, 0}, {1, 1}, {3, 2}, {2, -1}, {4, -1}, {-1, -1}};
    for (const auto& row : rows)
        EXPECT_EQ(BinningRadioIndex(row.value), row.radio) << row.value;
    for (int radio = 0; radio < 3; ++radio)
        EXPECT_EQ(BinningRadioIndex(kBinningValues[radio]), radio);
}

// Example failure: a camera allowed 4 taps is offered only 2 tap choices, or one allowed 0
// taps is offered none.
TEST(ImagePanelLogic, TapChoicesAreTheSignificantBitsOfTheAllowedTaps)
{
    const struct {
        int allowed;
        int choices;
    } rows[] = {{-4, 1}, {0, 1}, {1, 1}, {2, 2}, {3, 2}, {4, 3}, {8, 4}, {16, 5}, {0x7FFFFFFF, 31}};
    for (const auto& row : rows)
        EXPECT_EQ(TapChoicesAllowed(row.allowed), row.choices) << row.allowed;
}

// Example failure: the default camera (4) or an unknown one (-1, 18) loses its 12-bit choice,
// or a 47M camera at 16 taps keeps one it cannot send.
TEST(ImagePanelLogic, OnlyLargeSensorsAtSixteenTapsDropTwelveBits)
{
    for (int config = -1; config <= 18; ++config)
        for (int taps : {0, 4, 8, 16}) {
            const bool expected = taps == 16 && (config == 5 || config == 9 || config == 11);
            EXPECT_EQ(DropsTwelveBitDepth(config, taps), expected) << config << " " << taps;
        }
}

// Example failure: the search is case-sensitive, matches inside a text, or looks at item 0
// before the others when it starts after item 0.
TEST(ImagePanelLogic, PrefixSearchStartsAfterTheGivenItemAndWraps)
{
    const std::vector<std::string> bits{"8 bits", "10 bits", "12 bits", "14 bits"};
    const std::vector<std::string> twelveFirst{"12 bits (packed)", "8 bits", "12 bits"};
    const std::vector<std::string> onlyFirst{"12 bits", "8 bits"};
    const struct {
        const char* name;
        const std::vector<std::string>* items;
        const char* prefix;
        int start;
        int found;
    } rows[] = {
        {"found after item 0", &bits, "12", 0, 2},
        {"from the top", &bits, "8", -1, 0},
        {"item 0 last", &twelveFirst, "12", 0, 2},
        {"wraps to item 0", &onlyFirst, "12", 0, 0},
        {"ignores case", &bits, "10 BITS", 0, 1},
        {"prefix only", &bits, "bits", 0, -1},
        {"longer than every text", &bits, "12 bits and more", 0, -1},
        {"empty list", nullptr, "12", 0, -1},
        {"start out of range searches from the top", &bits, "8", 7, 0},
    };
    const std::vector<std::string> none;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(FindItemWithPrefix(row.items ? *row.items : none, row.prefix, row.start), row.found);
    }
}

}  // namespace
