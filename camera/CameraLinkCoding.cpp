// The four callbacks every camera parameter carries. A typed set on the store becomes a
// register write (the value coded into the register's data word through ValueCoder), a typed
// get becomes a register read (the word decoded and stored in the record). The callbacks also
// check whether a boolean changes and echo each change to the command terminal in the
// camera's own command syntax: "<cmd value" for what is sent, ">cmd value" for what the camera
// holds.
#include "camera/CPerfCounter.h"
#include "camera/CameraLink.h"
#include "camera/CXmlNodeValue.h"
#include "camera/LinkLog.h"
#include "camera/LinkText.h"
#include "camera/ValueCoder.h"

#include <cinttypes>
#include <cmath>
#include <cstring>
#include <optional>
#include <strings.h>

using camera::FormatText;
using camera::LinkLog;
using protocol::ParamTypeName;

namespace {

constexpr const char* kSetMethod = "CCameraLink::SetParamToCamera";
constexpr const char* kGetMethod = "CCameraLink::GetParamFromCamera";
constexpr const char* kCheckMethod = "CCameraLink::CheckParam";
constexpr const char* kConsoleMethod = "CCameraLink::ParamToConsole";
constexpr const char* kConsoleReplyMethod = "CCameraLink::ParamToConsoleReply";
constexpr const char* kNotImplemented = "Not implemented yet";

bool NameIs(const char* name, const char* special) { return ::strcasecmp(name, special) == 0; }

/// A floating-point value as a whole number for the log lines (truncated; 0 when it does not fit).
long long WholeNumber(double value)
{
    if (!std::isfinite(value) || std::fabs(value) >= 9.2e18)
        return 0;
    return static_cast<long long>(value);
}

const char* OnOff(bool value) { return value ? "on" : "off"; }
const char* TrueFalse(bool value) { return value ? "true" : "false"; }

/// The value a console line shows: the new one the store passes, or the stored one.
struct ConsoleValue {
    std::int64_t n = 0;
    bool b = false;
    double d = 0;
    std::string text;
};

ConsoleValue NewConsoleValue(const _OrvStParam& param, const void* newValue)
{
    ConsoleValue v;
    if (!newValue)
        return v;
    switch (param.type) {
    case OrvParam_Int: std::memcpy(&v.n, newValue, sizeof v.n); break;
    case OrvParam_Bool: v.b = *static_cast<const std::uint8_t*>(newValue) != 0; break;
    case OrvParam_Float: std::memcpy(&v.d, newValue, sizeof v.d); break;
    case OrvParam_String: v.text = static_cast<const char*>(newValue); break;
    default: break;
    }
    return v;
}

ConsoleValue StoredConsoleValue(const _OrvStParam& param)
{
    ConsoleValue v;
    v.n = param.value.n;
    v.b = param.value.b.value != 0;
    v.d = param.value.d;
    v.text = param.text;
    return v;
}

}  // namespace

ITerminalSink* CCameraLink::EchoTerminal() const
{
    return m_bEchoToTerminal && m_pMainWindow ? m_pMainWindow->Terminal() : nullptr;
}

std::string CCameraLink::EnumerationText(const std::string& path, std::int64_t value) const
{
    if (!m_pRegisterMap || path.empty())
        return {};
    // The element's id is compared with the low 32 bits of the value, taken as signed.
    return GetValTextById(*m_pRegisterMap, path, static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

int CCameraLink::SetParamToCamera(_OrvStParam* param)
{
    if (!param)
        return kOrvParamBadArgument;
    CPerfCounter perf(kSetMethod, __LINE__);
    const int level = LoggingLevel();
    const char* name = param->name;
    const char* typeName = ParamTypeName(param->type);
    RegisterLink link;
    if (GetRegisterLink(*this, name, link) != 0) {
        if (level > 0)
            LinkLog(kSetMethod, "SetParamToCamera: paramName=<%s>: paramType=<%s> no register link", name, typeName);
        return link_result::kNoRegisterLink;
    }
    // Without its configuration the camera is only read, at the identification registers.
    if (m_bConfigurationLost) {
        LinkLog(kSetMethod, "SetParamToCamera: paramName=<%s>: not written, the camera is not configured", name);
        return link_result::kNotConfigured;
    }

    switch (param->type) {
    case OrvParam_Int:
        if (level > 0)
            LinkLog(kSetMethod, "SetParamToCamera: paramName=<%s>: paramType=<%s> int_val<%" PRId64 ">", name, typeName,
                    param->value.n);
        break;
    case OrvParam_Bool:
        if (level > 0)
            LinkLog(kSetMethod, "SetParamTocamera: paramName=<%s>: paramType=<%s> bool_val<%d>", name, typeName,
                    param->value.b.value != 0 ? 1 : 0);
        break;
    case OrvParam_Float:
        if (level > 0)
            LinkLog(kSetMethod, "SetParamTocamera: paramName=<%s>: paramType=<%s> float_val<%lld>", name, typeName,
                    WholeNumber(param->value.d));
        break;
    case OrvParam_String:
        if (param->text.size() > 4) {
            if (ITerminalSink* terminal = EchoTerminal())
                terminal->AddText(kNotImplemented);
            if (level > 0)
                LinkLog(kSetMethod, "SetParamTocamera: paramName=<%s>: paramType=<%s> Length error len = %d", name,
                        typeName, static_cast<int>(param->text.size()));
            return link_result::kNotSent;
        }
        break;
    default:
        if (ITerminalSink* terminal = EchoTerminal())
            terminal->AddText(kNotImplemented);
        if (level > 0)
            LinkLog(kSetMethod, "SetParamTocamera: paramName=<%s>: paramType=<%s> ", name, typeName);
        return link_result::kNotSent;
    }
    const std::optional<std::uint32_t> word = ValueCoder::EncodeParam(*param, link);
    if (!word) {
        // No bits in any register (the limits entries): the store keeps the value, the camera
        // is not touched.
        if (level > 0)
            LinkLog(kSetMethod, "SetParamToCamera: paramName=<%s>: paramType=<%s> mask 0: nothing sent", name, typeName);
        return 0;
    }

    const protocol::WriteFrameBytes frame = protocol::WriteFrame(link.address, *word);
    ITerminalSink* terminal = EchoTerminal();
    const bool logFrame = level > 0 && (param->type != OrvParam_Int || m_bEchoToTerminal);
    if (terminal || logFrame) {
        const std::string line = "CMD=<" + camera::HexBytes(frame.data(), frame.size(), "%02X") + ">";
        if (terminal)
            terminal->AddText(line);
        if (logFrame)
            LinkLog(kSetMethod, "%s", line.c_str());
    }

    AnswerBuffer answer{};
    std::uint32_t length = frame.size();
    const int result = Transact(frame.data(), &length, answer);
    const bool answerToTerminal = terminal && param->type == OrvParam_Int;
    if (answerToTerminal || level > 0) {
        const std::size_t shown = std::min<std::size_t>(length, answer.size());
        const std::string line = FormatText("Responce:nRet=%d Len=%u RSP=<%s>", result, length,
                                            camera::HexBytes(answer.data(), shown, "%02X").c_str());
        if (answerToTerminal)
            terminal->AddText(line);
        if (level > 0)
            LinkLog(kSetMethod, "%s", line.c_str());
    }
    if (param->type == OrvParam_String && level > 0)
        LinkLog(kSetMethod, "SetParamTocamera: paramName=<%s>: paramType=<%s> string_val<%s>", name, typeName,
                param->text.c_str());

    const std::uint8_t status = answer[0];
    bool reported = false;
    if (!m_bCheckErrorDisabled && status != protocol::kAck &&
        (param->type == OrvParam_Int || status != m_nLastStatus))
        reported = ReportWriteError(answer, name, status);
    m_nLastStatus = status;

    // A channel failure keeps its code; a refusal the operator saw answers its status byte.
    int final = result;
    if (result == link_result::kRefused && reported && status != 0)
        final = status;

    // The register keeps only the field's bits of a number too large for it: the record holds
    // what the camera took, as a read would give it, and the listeners hear that.
    if (final == 0 && param->type == OrvParam_Int && param->value.n >= 0 && !NameIs(name, "BaudRate") &&
        !NameIs(name, "BitShift")) {
        const std::int64_t held = ValueCoder::DecodeField(*word, link.mask, link.shift);
        if (held != param->value.n)
            SetParam(param, &held, sizeof held);
    }
    // A floating-point value between two steps arrives as the step below it.
    if (final == 0 && param->type == OrvParam_Float) {
        const double held =
            ValueCoder::DecodeFloat(*word, link.mask, link.shift, param->min.d, param->def.d, param->max.d);
        if (held != param->value.d)
            SetParam(param, &held, sizeof held);
    }

    if (ITerminalSink* outcomeTerminal = EchoTerminal()) {
        if (final == 0)
            outcomeTerminal->AddText("OK");
        else if (final == link_result::kRefused)
            outcomeTerminal->AddText(FormatText("\r\nError code = %d<%02x%02x>\r\n", answer[1], answer[0], answer[1]));
        else
            outcomeTerminal->AddText(FormatText("\r\nError code = %d<%08x>\r\n", final, static_cast<unsigned>(final)));
    }
    return final;
}

int CCameraLink::GetParamFromCamera(_OrvStParam* param)
{
    if (!param)
        return kOrvParamBadArgument;
    const int level = LoggingLevel();
    const char* name = param->name;
    RegisterLink link;
    if (GetRegisterLink(*this, name, link) != 0) {
        if (level > 0)
            LinkLog(kGetMethod, "GetParamFromCamera: paramName=<%s>: paramType=<%s> no register link", name,
                    ParamTypeName(param->type));
        return link_result::kNoRegisterLink;
    }
    // An array is never read; a link without bits has no register to read.
    if (param->type == OrvParam_Array || link.mask == 0)
        return 0;

    const protocol::ReadFrameBytes frame = protocol::ReadFrame(link.address);
    ITerminalSink* terminal = EchoTerminal();
    const bool logLines = level > 1 || (level > 0 && m_bEchoToTerminal);
    if (terminal || logLines) {
        const std::string line = "CMD=<" + camera::HexBytes(frame.data(), frame.size(), "%02X") + ">";
        if (terminal)
            terminal->AddText(line);
        if (logLines)
            LinkLog(kGetMethod, "GetParamFromCamera Begin: paramName=<%s>: paramType=<%s>: %s", name,
                    ParamTypeName(param->type), line.c_str());
    }

    AnswerBuffer answer{};
    std::uint32_t length = frame.size();
    int result = Transact(frame.data(), &length, answer);
    const std::uint32_t raw = ValueCoder::BytesToWord(answer.data() + 1);
    if (terminal || logLines) {
        const std::string line = result == 0
            ? FormatText("ACK = <%02x>:RSP<%02x%02x%02x%02x>", answer[0], answer[1], answer[2], answer[3], answer[4])
            : FormatText(" Err = %d : %08x", result, raw);
        if (terminal)
            terminal->AddText(line);
        if (logLines)
            LinkLog(kGetMethod, "Resp:%s", line.c_str());
    }

    const std::uint8_t status = answer[0];
    // Reported only while error checking is on and the camera is not yet identified, never
    // while the rate is searched or a report identifies the camera again, and once per status.
    const bool report = result == link_result::kRefused && !m_bCheckErrorDisabled && m_bNotIdentified &&
                        !m_bDetectingBaudRate && !m_bReportingError && status != m_nLastStatus;
    // What the rate search meets is no report the operator saw: a refusal there must not hide
    // the same refusal later.
    if (!m_bDetectingBaudRate)
        m_nLastStatus = status;

    if (result != 0) {
        if (param->type == OrvParam_String && length > 0) {
            const char empty = '\0';
            SetParam(param, &empty, 1);
        }
        if (report && ReportReadError(status, name))
            return link_result::kReadReported;
        return result;
    }

    std::string valueLine;
    const bool wantLine = terminal || logLines;
    switch (param->type) {
    case OrvParam_Int: {
        const std::int64_t value = ValueCoder::DecodeField(raw, link.mask, link.shift);
        SetParam(param, &value, sizeof value);
        if (wantLine)
            valueLine = FormatText("value = %" PRId64 " <%016" PRIX64 ">", value, static_cast<std::uint64_t>(value));
        break;
    }
    case OrvParam_Bool: {
        const std::uint32_t field = ValueCoder::DecodeField(raw, link.mask, link.shift);
        const bool value = NameIs(name, "Ping") ? ValueCoder::DecodePing(raw, link.mask, link.shift) : field != 0;
        const std::uint8_t byte = value ? 1 : 0;
        SetParam(param, &byte, 1);
        if (wantLine)
            valueLine = FormatText("value = %d <%08X>: bool_val = %s", static_cast<int>(field), field, TrueFalse(value));
        break;
    }
    case OrvParam_Float: {
        const std::uint32_t field = ValueCoder::DecodeField(raw, link.mask, link.shift);
        const double value =
            ValueCoder::DecodeFloat(raw, link.mask, link.shift, param->min.d, param->def.d, param->max.d);
        SetParam(param, &value, sizeof value);
        if (wantLine)
            valueLine = FormatText("value = %d <%08X>: float_val = %.4f", static_cast<int>(field), field, value);
        break;
    }
    default: {
        // The four data bytes in the order they came, then zeros: the camera's text order.
        SetParam(param, answer.data() + 1, std::min<std::size_t>(length, answer.size() - 1));
        if (wantLine)
            valueLine = FormatText("value<%s>", param->text.c_str());
        break;
    }
    }
    if (terminal)
        terminal->AddText(valueLine);
    if (logLines)
        LinkLog(kGetMethod, "%s", valueLine.c_str());
    return 0;
}

int CCameraLink::CheckParam(const _OrvStParam* param, const void* newValue)
{
    if (!param || !newValue)
        return 0;
    const bool log = LoggingLevel() > 2;
    const char* name = param->name;
    const char* typeName = ParamTypeName(param->type);
    switch (param->type) {
    case OrvParam_Int: {
        std::int64_t wide = 0;
        std::memcpy(&wide, newValue, sizeof wide);
        const auto next = static_cast<std::int32_t>(wide);
        if (log)
            LinkLog(kCheckMethod,
                    param->value.n == next
                        ? "CheckParam:Param Not Changed: paramName=<%s>: paramType=<%s> prevVal<%" PRId64 "> newVal<%d> "
                        : "CheckParam: paramName=<%s>: paramType=<%s> prevVal<%" PRId64 "> newVal<%d> ",
                    name, typeName, param->value.n, next);
        return 0;
    }
    case OrvParam_Bool: {
        const std::uint8_t next = *static_cast<const std::uint8_t*>(newValue);
        const bool same = next == param->value.b.value;
        if (log)
            LinkLog(kCheckMethod,
                    same ? "CheckParam:Param Not Changed: paramName=<%s>: paramType=<%s> prevVal<%s> newVal<%s> "
                         : "CheckParam: paramName=<%s>: paramType=<%s> prevVal<%s> newVal<%s> ",
                    name, typeName, TrueFalse(param->value.b.value != 0), TrueFalse(next != 0));
        return same ? kOrvParamUnchanged : 0;
    }
    case OrvParam_Float:
        if (log) {
            double next = 0;
            std::memcpy(&next, newValue, sizeof next);
            LinkLog(kCheckMethod, "CheckParam: paramName=<%s>: paramType=<%s> float_val<%.4f> : float<%.4f>", name,
                    typeName, param->value.d, next);
        }
        return 0;
    case OrvParam_String:
        if (log)
            LinkLog(kCheckMethod, "CheckParam: paramName=<%s>: paramType=<%s> string_val<%s>", name, typeName,
                    param->text.c_str());
        return 0;
    default:
        if (log)
            LinkLog(kCheckMethod, "CheckParam: paramName=<%s>: paramType=<%s> ", name, typeName);
        return 0;
    }
}

namespace {

/// One console line: `mark` '<' for a value sent, '>' for the camera's reply.
std::string ConsoleLine(char mark, const _OrvStParam& param, const RegisterLink& link, const ConsoleValue& v,
                        const std::string& enumText)
{
    const char* cmd = link.cmd.c_str();
    switch (param.type) {
    case OrvParam_Int:
        if (link.path.empty())
            return FormatText("%c%s %" PRId64, mark, cmd, v.n);
        if (mark == '<')
            return FormatText("<%s %" PRId64 " <%s>", cmd, v.n, enumText.c_str());
        // A value without a text in the map is shown as its number.
        return enumText.empty() ? FormatText(">%s %" PRId64, cmd, v.n) : FormatText(">%s %s", cmd, enumText.c_str());
    case OrvParam_Bool:
        if (std::strcmp(param.name, "Ping") == 0)
            return FormatText("%c%s", mark, cmd);
        return FormatText("%c%s %s", mark, cmd, OnOff(v.b));
    case OrvParam_Float:
        return FormatText("%c%s %.4f", mark, cmd, v.d);
    case OrvParam_String:
        return FormatText("%c%s %s", mark, cmd, v.text.c_str());
    default:
        return FormatText("ParamToConsole:%c Undef.command", mark);
    }
}

}  // namespace

int CCameraLink::ParamToConsole(const _OrvStParam* param, const void* newValue)
{
    if (!param || param->access == OrvParam_Unk)
        return 0;
    ITerminalSink* terminal = EchoTerminal();
    const int level = LoggingLevel();
    const bool log = level > 1 || (level > 0 && m_bEchoToTerminal);
    if (!terminal && !log)
        return 0;
    RegisterLink link;
    if (GetRegisterLink(*this, param->name, link) != 0)
        return 0;
    const ConsoleValue value = NewConsoleValue(*param, newValue);
    const std::string enumText = param->type == OrvParam_Int ? EnumerationText(link.path, value.n) : std::string();
    const std::string line = ConsoleLine('<', *param, link, value, enumText);
    if (log)
        LinkLog(kConsoleMethod, "ParamToConsole: {%s} ", line.c_str());
    if (terminal)
        terminal->AddText(line);
    return 0;
}

int CCameraLink::ParamToConsoleReply(const _OrvStParam* param)
{
    if (!param || param->access == OrvParam_Unk)
        return 0;
    RegisterLink link;
    if (GetRegisterLink(*this, param->name, link) != 0)
        return link_result::kNoRegisterLink;
    ITerminalSink* terminal = EchoTerminal();
    const int level = LoggingLevel();
    const bool log = level > 1 || (level > 0 && m_bEchoToTerminal);
    if (!terminal && !log)
        return 0;
    const ConsoleValue value = StoredConsoleValue(*param);
    const std::string enumText = param->type == OrvParam_Int ? EnumerationText(link.path, value.n) : std::string();
    const std::string line = ConsoleLine('>', *param, link, value, enumText);
    if (log)
        LinkLog(kConsoleReplyMethod, "ParamToConsole: {%s} ", line.c_str());
    if (terminal)
        terminal->AddText(line);
    return 0;
}

int CCameraLink::ParamReadCallback(std::uint32_t ownerId, _OrvStParam* param)
{
    CCameraLink* link = FindParamStorageById(ownerId);
    return link ? link->GetParamFromCamera(param) : link_result::kNoCameraLink;
}

int CCameraLink::ParamEchoCallback(std::uint32_t ownerId, _OrvStParam* param, const void* newValue)
{
    CCameraLink* link = FindParamStorageById(ownerId);
    if (!link)
        return link_result::kNoCameraLink;
    link->CheckParam(param, newValue);
    return link->ParamToConsoleReply(param);
}

int CCameraLink::ParamChangingCallback(std::uint32_t ownerId, _OrvStParam* param, const void* newValue)
{
    CCameraLink* link = FindParamStorageById(ownerId);
    if (!link)
        return link_result::kNoCameraLink;
    if (const int unchanged = link->CheckParam(param, newValue); unchanged != 0)
        return unchanged;
    return link->ParamToConsole(param, newValue);
}

int CCameraLink::ParamWriteCallback(std::uint32_t ownerId, _OrvStParam* param)
{
    CCameraLink* link = FindParamStorageById(ownerId);
    return link ? link->SetParamToCamera(param) : link_result::kNoCameraLink;
}
