// The lens panel's arithmetic, without windows: iris positions as f-numbers, the table of
// f-number texts that grows with the largest iris range read so far, the iris range word and
// the read-out texts.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace lens {

/// The f-number of iris index i: sqrt(2)^(i/8 - 1), so 0 gives f/0.71, 8 f/1.00, 24 f/2.00.
double FNumber(int index);

/// The f-number texts by iris index. It only grows: a shorter range read later keeps it.
class ApertureTable {
public:
    /// Extends the table to cover indices 0..n; nothing when it does already.
    void Build(int n);
    int Size() const { return static_cast<int>(labels_.size()); }
    /// "f/1.41" for index 16; empty beyond the table.
    std::string Label(int index) const;
    /// "1.41" for index 16 (the edit beside a fixed "f/"); empty beyond the table.
    std::string IndexToText(int index) const;
    /// The index whose f-number is nearest the number at the start of text (the smaller
    /// f-number on a tie; the ends below and above the table); 0 for an empty table. Nothing
    /// when the text holds no number.
    std::optional<int> TextToIndex(const std::string& text) const;

private:
    std::vector<std::string> labels_;
    std::map<int, std::string> indexToKey_;
    std::map<double, int> keyToIndex_;
};

/// The camera's iris range word: Max in bits 16-23, Min1 in 0-7, Min2 in 8-15.
struct IrisRange {
    int max = 0;
    int min1 = 0;
    int min2 = 0;
    int Lower() const { return min1 < min2 ? min1 : min2; }
};
IrisRange DecodeIrisRange(std::int64_t word);

/// A position held to lower..upper (lower when below, else at most upper).
int ClampToIrisRange(int position, int lower, int upper);

/// The position read-out: "17 err" outside lower..upper, "40" where the table has no text,
/// else "f/2.00 / 24".
std::string PositionText(int position, int lower, int upper, const ApertureTable& table);

/// A range edit's text: the f-number of index, or the index itself beyond the table.
std::string RangeText(int index, const ApertureTable& table);

/// The focus encoder read-out: the low 16 bits of the state as a signed number.
int FocusEncoderValue(std::int64_t state);

/// The iris step's largest setting: the register's maximum, held to the iris range's upper
/// end outside debug mode.
int IrisStepUpper(std::int64_t recordMax, int irisUpper, bool debug);

}  // namespace lens
