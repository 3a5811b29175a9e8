// The parsers of the download files, one per kind of file. Each reads the whole file text
// (LF or CR LF line ends) and gives either the image of the sector buffer to program (or the
// register commands to replay) or the first line it refuses and why. A refused file gives
// nothing, so nothing is erased or sent. ParseTableFile (DownloadFile.h) picks the parser of
// a file-type code.
#pragma once

#include "tools/DownloadFile.h"

#include <string_view>
#include <vector>

namespace download {

/// ".lut": the lines after the ":Table" line are "index,value" in decimal ("--" comments and
/// blank lines passed over); the values are stored in file order as 32-bit words from byte 0
/// of a 0x4000-byte image (the index is not used). Values after the first 4096 are not
/// stored. Refused: no ":Table", a line that is not "index,value", a number beyond 32 bits,
/// a further tag, or no value at all.
Parsed<FlashImage> ParseLookUpTable(std::string_view text);

/// ".ffc": after ":Table" (else ":FFC_X") the X values, after one ":FFC_Y" the Y values, each
/// line "index,value" in decimal. X is thinned to 4096 words (8192 on a large sensor) from
/// byte 0, Y to 4096 words from 0x4000 (large: 0x8000): every step-th value, step = n / limit
/// rounded up. The image is 0x8000 bytes (large: 0xC000). Refused: no start tag, another
/// tag or a second ":FFC_Y", a line that is not "index,value", or no value at all.
Parsed<FlashImage> ParseFlatField(std::string_view text, bool largeSensor);

/// ".dcm"/".bcm" for types 0, 1, 10, 11: after ":Table", one "column,row[,width]" line per
/// defective pixel (width 0 when missing; lines beginning with "-" are comments). On a large
/// sensor the pixels after ":Table_BottomUp" form the bottom-up list; elsewhere that tag is
/// passed over like any other. Pixels are paired in file order (DefectPairer) and written
/// into the file type's half of the sector image (PlaceDefectLists); a table without pixels
/// leaves that half empty. Refused: no ":Table", a line with fewer than two numbers, a column
/// outside 1..MaxColumn, a row outside 1..8191 or a width outside 0..7, or lists that do not
/// fit their areas.
Parsed<FlashImage> ParseDefectTable(int type, std::string_view text, bool largeSensor);

/// AFE ".txt": up to eight sections, each a tag line (":AFE1", ":AFE1N", ":AFE2" ... ":AFE4N",
/// matched whole) and "address value" lines in hexadecimal; each line gives the address's and
/// the value's 16 bits, most significant byte first, in the tag's 8 KB slice of a 0x10000-byte
/// image (":AFE1" 0x0000, ":AFE1N" 0x2000, ... ":AFE4N" 0xE000). A file without tags fills the
/// image from byte 0. `fill` is the end of the last section in slice order. Refused: an
/// unknown or repeated tag, a data line before the first tag, a section line that is not
/// "address value", a number beyond 16 bits, a slice (or tag-less image) overfilled, or no
/// entry at all.
Parsed<FlashImage> ParseAfeTable(std::string_view text);

/// ".rgs": workspace-file lines, each a register command ("57 6034 00000001", "52 6014",
/// "57 7028 <ABCD>"), a "--" comment (GUI settings included) or blank. Refused: any other
/// line, a command that is not exactly a 3- or 7-byte frame, or no command at all.
Parsed<std::vector<RegisterCommand>> ParseRegisterFile(std::string_view text);

/// The commands one after another as the replay walks them.
std::vector<std::uint8_t> CommandBytes(const std::vector<RegisterCommand>& commands);

}  // namespace download
