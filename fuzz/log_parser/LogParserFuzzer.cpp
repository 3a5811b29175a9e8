// Fuzz target of the log parser. The first byte of an input picks the minimum severity
// (-1 to 5; the two ends take nothing), the rest is the log from the parse position on,
// scanned for the records of the job whose token is "{1F2E30000001ABCD}". Besides what the
// sanitizers catch, the target holds the parser to its contract and aborts when it breaks:
// every item is complete, of a taken severity and no longer than the longest line, and the
// modes agree (mode 0 gives the first record of mode 3, mode 2 the last, mode 1 both).
#include "logging/LogLine.h"
#include "logging/LogParser.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t kJobId = 0x1F2E30000001ABCDull;

struct Item {
    std::int32_t code;
    const wchar_t* severityName;
    std::wstring message;
    bool operator==(const Item&) const = default;
};

void Require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "log parser contract broken: %s\n", what);
        std::abort();
    }
}

std::vector<Item> Scan(const std::uint8_t* log, std::size_t size, std::int32_t minSeverity, std::int32_t mode)
{
    orvlog::MemorySource source(log, size);
    const auto result = orvlog::ScanJobRecords(source, size, {kJobId, minSeverity, mode});
    std::vector<Item> items;
    for (std::uint32_t i = 0; i < result->Count(); ++i) {
        const _ParserDataItem* item = result->Items()[i];
        Require(item && item->message && item->severityName, "item without message or name");
        bool taken = false;
        for (std::int32_t s = minSeverity; s <= OL_ERROR; ++s)
            taken = taken || item->severityName == orvlog::kSeverityNames[s];
        Require(taken, "severity below the minimum or outside the table");
        const std::size_t length = std::wcslen(item->message);
        Require(length <= orvlog::kMaxLineUnits, "message longer than a line");
        items.push_back({item->code, item->severityName, std::wstring(item->message, length)});
    }
    return items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::int32_t minSeverity = static_cast<std::int32_t>(data[0] % 7) - 1;
    const std::uint8_t* log = data + 1;
    const std::size_t logSize = size - 1;

    const std::vector<Item> all = Scan(log, logSize, minSeverity, 3);
    if (minSeverity < OL_DEBUG || minSeverity > OL_ERROR)
        Require(all.empty(), "records taken with a minimum outside 0-4");
    Require(Scan(log, logSize, minSeverity, 4).empty(), "records taken with mode 4");

    std::vector<Item> first, last, firstAndLast;
    if (!all.empty()) {
        first = {all.front()};
        last = {all.back()};
        firstAndLast = all.size() == 1 ? first : std::vector<Item>{all.front(), all.back()};
    }
    Require(Scan(log, logSize, minSeverity, 0) == first, "mode 0 is not the first record");
    Require(Scan(log, logSize, minSeverity, 1) == firstAndLast, "mode 1 is not the first and the latest");
    Require(Scan(log, logSize, minSeverity, 2) == last, "mode 2 is not the latest record");
    return 0;
}
