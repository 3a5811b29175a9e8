// Defect tables (".dcm", ".bcm") and register-command files (".rgs").
#include "camera/LinkText.h"
#include "camera/RgsFile.h"
#include "tools/DefectWord.h"
#include "tools/DownloadLines.h"
#include "tools/DownloadParsers.h"

namespace download {

namespace {

defect::Space SpaceOfType(int type)
{
    switch (type) {
    case kDpmFactory:
        return defect::Space::DpmFactory;
    case kBpmUser:
        return defect::Space::BpmUser;
    case kBpmFactory:
        return defect::Space::BpmFactory;
    default:
        return defect::Space::DpmUser;
    }
}

}  // namespace

Parsed<FlashImage> ParseDefectTable(int type, std::string_view text, bool largeSensor)
{
    if (!IsDefectType(type))
        return ParseError{0, "file type " + std::to_string(type) + " is not a defect table"};
    const defect::SpaceLayout layout = defect::LayoutOf(SpaceOfType(type));
    const std::vector<TextLine> lines = SplitTextLines(text);
    std::size_t first = 0;
    while (first < lines.size() && !IsTag(lines[first].text, defect::kTableTag))
        ++first;
    if (first == lines.size())
        return ParseError{0, "no \":Table\" line"};

    defect::WordMap topDown;
    defect::WordMap bottomUp;
    defect::DefectPairer pairer(&topDown);
    defect::WordMap* current = &topDown;
    int bottomUpTagLine = 0;
    const std::uint32_t maxColumn = defect::MaxColumn(largeSensor);
    // Checked after every pixel so the refusal names the line where a list overflowed.
    auto overflow = [&](int lineNumber) -> std::optional<ParseError> {
        if (current == &topDown && pairer.AddedWords() > defect::TopDownCapacity(layout, false))
            return ParseError{lineNumber, camera::FormatText("the top-down list is full (%zu words)",
                                                             defect::TopDownCapacity(layout, false))};
        if (current == &bottomUp && pairer.AddedWords() > defect::BottomUpCapacity(layout))
            return ParseError{lineNumber, camera::FormatText("the bottom-up list is full (%zu words)",
                                                             defect::BottomUpCapacity(layout))};
        return std::nullopt;
    };

    int lastPixelLine = lines[first].number;
    for (std::size_t i = first + 1; i < lines.size(); ++i) {
        const TextLine& line = lines[i];
        if (IsBlankLine(line.text) || line.text[0] == '-')
            continue;
        if (IsTagLine(line.text)) {
            if (largeSensor && current == &topDown && IsTag(line.text, defect::kBottomUpTag)) {
                pairer.Flush();
                if (auto error = overflow(lastPixelLine))
                    return *error;
                pairer.SetTarget(&bottomUp);
                current = &bottomUp;
                bottomUpTagLine = line.number;
            }
            continue;
        }
        const ScannedNumbers numbers = ScanDecimals(line.text, 3);
        if (numbers.overflow)
            return ParseError{line.number, "number does not fit 32 bits in " + QuoteLine(line.text)};
        if (numbers.count < 2)
            return ParseError{line.number,
                              "expected \"column,row,width\" (at least column and row, in decimal), not " +
                                  QuoteLine(line.text)};
        const std::int64_t column = numbers.values[0];
        const std::int64_t row = numbers.values[1];
        if (column < 1 || column > maxColumn)
            return ParseError{line.number, camera::FormatText("column %lld is outside 1..%u", static_cast<long long>(column), maxColumn)};
        if (row < 1 || row > defect::kMaxRow)
            return ParseError{line.number, camera::FormatText("row %lld is outside 1..%u", static_cast<long long>(row), defect::kMaxRow)};
        const std::int64_t width = numbers.count > 2 ? numbers.values[2] : 0;
        if (width < 0 || width > defect::kMaxWidth)
            return ParseError{line.number, camera::FormatText("width %lld is outside 0..%u", static_cast<long long>(width), defect::kMaxWidth)};
        pairer.Add({static_cast<std::uint32_t>(column), static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(width)});
        if (auto error = overflow(line.number))
            return *error;
        lastPixelLine = line.number;
    }
    pairer.Flush();
    if (auto error = overflow(lastPixelLine))
        return *error;
    if (!bottomUp.empty() && defect::WordCount(topDown) > defect::TopDownCapacity(layout, true))
        return ParseError{bottomUpTagLine,
                          camera::FormatText("the top-down list (%zu words) runs into the bottom-up list (room for %zu)",
                                             defect::WordCount(topDown), defect::TopDownCapacity(layout, true))};

    const std::optional<DownloadTarget> target = TargetFor(type, largeSensor);
    FlashImage image{std::vector<std::uint8_t>(target->bufferLength, 0), 0};
    if (auto error = defect::PlaceDefectLists(layout, topDown, bottomUp, image.bytes))
        return ParseError{0, *error};
    image.fill = bottomUp.empty() ? layout.halfStart + 4 * static_cast<std::uint32_t>(defect::WordCount(topDown))
                                  : layout.BottomUpStart() + 4 * static_cast<std::uint32_t>(defect::WordCount(bottomUp));
    return image;
}

Parsed<std::vector<RegisterCommand>> ParseRegisterFile(std::string_view text)
{
    std::vector<RegisterCommand> commands;
    for (const TextLine& line : SplitTextLines(text)) {
        std::string_view body = line.text;
        while (!body.empty() && (body.front() == ' ' || body.front() == '\t'))
            body.remove_prefix(1);
        if (IsBlankLine(body) || IsCommentLine(body))
            continue;
        const rgs::CommandLine parsed = rgs::ParseCommandLine(body);
        if (parsed.kind == rgs::LineKind::Other)
            return ParseError{line.number, "not a register command or \"--\" comment: " + QuoteLine(line.text)};
        if (parsed.kind == rgs::LineKind::Malformed)
            return ParseError{line.number, "a command must be \"57 AAAA DDDDDDDD\", \"57 AAAA <wxyz>\" or \"52 AAAA\", not " +
                                               QuoteLine(line.text)};
        RegisterCommand command;
        for (std::uint32_t i = 0; i < parsed.length; ++i)
            command.bytes[i] = parsed.frame[i];
        command.length = parsed.length;
        command.line = line.number;
        commands.push_back(command);
    }
    if (commands.empty())
        return ParseError{0, "no register commands in the file"};
    return commands;
}

std::vector<std::uint8_t> CommandBytes(const std::vector<RegisterCommand>& commands)
{
    std::vector<std::uint8_t> bytes;
    for (const RegisterCommand& command : commands)
        bytes.insert(bytes.end(), command.bytes, command.bytes + command.length);
    return bytes;
}

}  // namespace download
