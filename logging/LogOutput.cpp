#include "logging/LogOutput.h"

#include "platform/DebugOutput.h"
#include "platform/TextConv.h"

namespace orvlog {

int LogOutput::FormatRecord(const NormalizedRecord& record, LineBuffer& buffer)
{
    return Write(FormatLine(level_, record, buffer), *record.record);
}

int IDEOutput::Write(std::u16string_view line, const _OwnLogRecord&)
{
    const std::wstring text = platform::Utf16ToWide(line);
    platform::OutputDebugStringW(text.c_str());
    platform::OutputDebugStringW(L"\n");
    return 0;
}

}  // namespace orvlog
