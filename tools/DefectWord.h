// The camera's defect lists. A defect word names one or two defective pixels of a row:
//   bit 31    the pixel at column + 1 is defective
//   bit 30    the pixel at column is defective
//   bits 16-29 column (always odd: pixels pair as 1-2, 3-4, ...), counted from 1
//   bits 13-15 width
//   bits 0-12  row, counted from 1
// Each defect space is one half of the DPM or BPM sector. It holds a top-down list (rows
// ascending) from the half's start and, on large sensors, a bottom-up list (rows descending)
// from a fixed offset in the half; within a row words run by ascending column, and a zero word
// ends a list. Shared by the download terminal's defect-table parser and the defect-map editor.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace defect {

inline constexpr std::uint32_t kBitNextPixel = 1u << 31;  ///< column + 1 defective
inline constexpr std::uint32_t kBitPixel = 1u << 30;      ///< column defective
inline constexpr std::uint32_t kMaxRow = 0x1FFF;
inline constexpr std::uint32_t kMaxWidth = 7;

/// Largest column a sensor's defect words can carry: 16383, or 8191 on a sensor that is not
/// large (its column field is read with 13 bits).
std::uint32_t MaxColumn(bool largeSensor);
/// Mask that decodes the column field: 0x3FFF on a large sensor, else 0x1FFF.
std::uint32_t ColumnMask(bool largeSensor);

struct Pixel {
    std::uint32_t column = 0;
    std::uint32_t row = 0;
    std::uint32_t width = 0;
    bool operator==(const Pixel&) const = default;
};

/// row -> column -> width: the defective pixels of one list.
using PixelMap = std::map<std::uint32_t, std::map<std::uint32_t, std::uint32_t>>;
/// row -> column field -> defect word: one list as it is written.
using WordMap = std::map<std::uint32_t, std::map<std::uint32_t, std::uint32_t>>;

/// bit31 * 2^31 + bit30 * 2^30 + (column & 0x3FFF) << 16 + (width & 7) << 13 + (row & 0x1FFF).
std::uint32_t MakeDefectWord(bool bit31, bool bit30, std::uint32_t column, std::uint32_t row, std::uint32_t width);
/// Stores MakeDefectWord(...) at map[row][column], replacing a word already there; returns it.
std::uint32_t PutDefectWord(WordMap& map, bool bit31, bool bit30, std::uint32_t column, std::uint32_t row,
                            std::uint32_t width);

/// The pixels of a word (none, one or two), columns decoded with `columnMask`.
std::vector<Pixel> DecodeDefectWord(std::uint32_t word, std::uint32_t columnMask);

/// Pairs pixels in the order they come: a pixel at odd column c followed by one at c + 1 of
/// the same row share one word (both bits, the first pixel's width); any other pixel gives a
/// word of its own (odd c: field c, bit 30; even c: field c - 1, bit 31). Words go into the
/// target map as they are emitted, so a later word for the same field replaces an earlier one.
class DefectPairer {
public:
    /// `target` is borrowed and must outlive the pairer (or the next SetTarget).
    explicit DefectPairer(WordMap* target) : m_target(target) {}
    void Add(const Pixel& pixel);
    /// Emits the pixel still waiting for its neighbour.
    void Flush();
    /// Flushes, then sends later words to `target`.
    void SetTarget(WordMap* target);
    bool HasPending() const { return m_pending.has_value(); }
    /// Words this pairer added to the current target that were not there before.
    std::size_t AddedWords() const { return m_added; }

private:
    void Emit(const Pixel& pixel, bool bit31, bool bit30);
    WordMap* m_target;
    std::optional<Pixel> m_pending;
    std::size_t m_added = 0;
};

/// Encodes a pixel map (rows and columns ascending) into its words.
WordMap EncodeDefectMap(const PixelMap& pixels);

std::size_t WordCount(const WordMap& map);

/// Writes the words top-down (rows ascending) from `position`, most significant byte first,
/// while position < length (and within the buffer), advancing position by 4 per word.
void SerializeDefectMap(const WordMap& map, std::vector<std::uint8_t>& buffer, std::uint32_t length,
                        std::uint32_t& position);
/// The same with rows descending (columns still ascending within a row).
void SerializeDefectMapBottomUp(const WordMap& map, std::vector<std::uint8_t>& buffer, std::uint32_t length,
                                std::uint32_t& position);

/// The four defect spaces; the values are the editor's space codes.
enum class Space : int { BpmFactory = 0, BpmUser = 1, DpmFactory = 2, DpmUser = 3 };

/// Where a space lies in its sector (bytes from the sector's start).
struct SpaceLayout {
    int sector = 0;
    std::uint32_t sectorLength = 0;
    std::uint32_t halfStart = 0;
    std::uint32_t halfLength = 0;
    std::uint32_t bottomUpOffset = 0;  ///< from halfStart
    std::uint32_t BottomUpStart() const { return halfStart + bottomUpOffset; }
    int FirstPage() const { return static_cast<int>(halfStart / 256); }
    int EndPage() const { return static_cast<int>((halfStart + halfLength) / 256); }
    int BottomUpPage() const { return static_cast<int>(BottomUpStart() / 256); }
};
SpaceLayout LayoutOf(Space space);

/// Words the top-down list may hold: up to the word before the bottom-up start (which stays 0
/// to end it) when a bottom-up list follows, else the whole half.
std::size_t TopDownCapacity(const SpaceLayout& layout, bool withBottomUp);
/// Words the bottom-up list may hold: from its start to the half's end.
std::size_t BottomUpCapacity(const SpaceLayout& layout);

/// Writes a space into a sector image (at least layout.sectorLength bytes): zeroes the half,
/// writes the top-down words from its start and, when there are any, the bottom-up words from
/// the bottom-up start. A list that does not fit leaves the image untouched and gives the
/// reason; nullopt on success.
std::optional<std::string> PlaceDefectLists(const SpaceLayout& layout, const WordMap& topDown, const WordMap& bottomUp,
                                            std::vector<std::uint8_t>& sector);

/// A defect-table file (".dcm"/".bcm") with CR LF line ends: the comment and ":Table" line,
/// one "column,row,width" line per pixel of the top-down list (rows, then columns ascending)
/// and, when the bottom-up list has pixels, the comment again, ":Table_BottomUp" and its pixels
/// (rows descending, columns ascending).
std::string FormatDefectTable(const PixelMap& topDown, const PixelMap& bottomUp);

inline constexpr const char* kDefectTableComment = "-- Column(X),Row(Y),Width(W)";
inline constexpr const char* kTableTag = ":Table";
inline constexpr const char* kBottomUpTag = ":Table_BottomUp";

}  // namespace defect
