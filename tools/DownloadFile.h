// Files that the download terminal programs into the camera's parameter flash: look-up tables
// (".lut"), flat-field tables (".ffc"), defect tables (".dcm" for the DPM sector, ".bcm" for
// the BPM sector), AFE register tables (".txt") and register-command files (".rgs"). Here:
// the file-type codes, what each type programs (sector, buffer, where the data goes, which
// pages are read back and written), the extension check, loading a file, and the result every
// parser returns: either what to program or the line and reason of the refusal. A refused
// file gives nothing to program, so the caller erases nothing. No Qt, no camera link.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace download {

/// The file-type codes of the type box (its item data).
enum FileType : int {
    kDpmUser = 0,
    kBpmUser = 1,
    kFfc1 = 2,
    kFfc2 = 3,
    kLut1 = 4,
    kLut2 = 5,
    kLut3 = 6,
    kLut4 = 7,
    kAfe = 8,
    kRgs = 9,
    kDpmFactory = 10,
    kBpmFactory = 11,
};
inline constexpr int kFileTypeCount = 12;

bool IsDefectType(int type);    ///< 0, 1, 10, 11
bool IsFlatFieldType(int type); ///< 2, 3
bool IsLookUpType(int type);    ///< 4..7

/// Flash pages are 256 bytes; a sector holds at most 256 of them.
inline constexpr std::uint32_t kPageSize = 256;
/// Sector 16 stands for "no sector" (a register-command file is replayed, not programmed).
inline constexpr int kNoSector = 16;

/// What one file type programs. Pages are counted from the sector's start; a range is
/// [first, end). The read-back range is the half of a defect sector that the file does not
/// replace: it is read from the camera into the same buffer before the sector is erased.
struct DownloadTarget {
    int sector = kNoSector;
    std::uint32_t bufferLength = 0;  ///< bytes; the parsed image is this long
    std::uint32_t dataFrom = 0;      ///< byte offset where the parsed data starts
    int readBackFirst = 0;
    int readBackEnd = 0;             ///< equal to readBackFirst: nothing to read back
    int writePages = 0;              ///< pages 0..writePages-1; AFE: see PagesToWrite
};

/// The target of a type code; nullopt for an unknown code. `largeSensor` selects the larger
/// flat-field buffer (0xC000 bytes, 192 pages).
std::optional<DownloadTarget> TargetFor(int type, bool largeSensor);

/// The extensions of each type ("dcm", "bcm", "ffc", "lut", "txt", "rgs").
std::string_view ExtensionOf(int type);
/// True when the path's last three characters are the type's extension, in any case.
bool PathFitsType(std::string_view path, int type);

/// Files larger than this are refused before they are read.
inline constexpr std::uint64_t kMaxFileBytes = 16u * 1024u * 1024u;

/// Reads a whole file as bytes. nullopt when it cannot be opened or read, or is larger than
/// kMaxFileBytes (then `tooLarge`, when given, is set).
std::optional<std::string> LoadFileBytes(const std::string& path, bool* tooLarge = nullptr);

/// Why a file was refused: the 1-based line it happened on (0 for the file as a whole) and
/// the reason in words.
struct ParseError {
    int line = 0;
    std::string reason;
    /// "line 12: <reason>", or the reason alone for the file as a whole.
    std::string Message() const;
};

/// Either a parser's product or its refusal.
template <class T>
class Parsed {
public:
    Parsed(T value) : m_result(std::move(value)) {}
    Parsed(ParseError error) : m_result(std::move(error)) {}
    bool ok() const { return m_result.index() == 0; }
    const T& value() const { return std::get<0>(m_result); }
    T& value() { return std::get<0>(m_result); }
    const ParseError& error() const { return std::get<1>(m_result); }

private:
    std::variant<T, ParseError> m_result;
};

/// A table file turned into the bytes of its sector buffer: `bytes` is the target's buffer
/// length, zero where the file put nothing; words are stored most significant byte first.
/// `fill` is the end of the parsed data (AFE: it decides how many pages are written).
struct FlashImage {
    std::vector<std::uint8_t> bytes;
    std::uint32_t fill = 0;
};

/// Flash words are 32 bits, most significant byte first. Both take an offset with four bytes
/// behind it in the buffer.
void StoreFlashWord(std::vector<std::uint8_t>& bytes, std::uint32_t offset, std::uint32_t word);
std::uint32_t FlashWordAt(const std::vector<std::uint8_t>& bytes, std::uint32_t offset);

/// Pages to program after the erase: the target's fixed count, or for an AFE table the pages
/// that hold the image up to its fill position (rounded up).
int PagesToWrite(int type, const DownloadTarget& target, const FlashImage& image);

/// One register command of a register-command file: a 7-byte write (0x57, address high and
/// low, data word most significant first) or a 3-byte read (0x52, address high and low).
struct RegisterCommand {
    std::uint8_t bytes[7] = {};
    std::uint32_t length = 0;
    int line = 0;  ///< where it stood in the file
};

/// Parses a table file of types 0..8 (defect, flat-field, look-up and AFE tables) into the
/// image of its sector buffer. Type 9 and unknown codes are refused.
Parsed<FlashImage> ParseTableFile(int type, std::string_view text, bool largeSensor);

/// The trace record a parser writes first when logging is on: "GetValuesFromFileSimple:
/// FileName <path>" and the like, one text per kind of file.
std::string ParserTraceRecord(int type, std::string_view path);

}  // namespace download
