// Files written from the store: the workspace file (".rgs"), whose register lines a replay
// sends back to the camera, and the register dump (".txt") for people to read. Both read their
// parameters from the camera first and code each field into its register's word the way a
// camera write codes it, so a workspace restores exactly the registers it was saved from.
#include "camera/CameraLink.h"
#include "camera/LinkLog.h"
#include "camera/LinkText.h"
#include "camera/RgsFile.h"
#include "camera/ValueCoder.h"
#include "platform/ProfileSettings.h"

#include <cstring>
#include <iomanip>
#include <locale>
#include <sstream>
#include <unistd.h>
#include <vector>

using camera::FormatText;

namespace {

constexpr const char* kRgsMethod = "CCameraLink::WriteRgsFile";
constexpr const char* kDumpMethod = "CCameraLink::WriteDumpFile";
constexpr const char* kRgsWaitText = "Write Registers to .RGS file. Wait please";
constexpr const char* kDumpWaitText = "Write dump to file. Wait please";
constexpr const char* kDumpRule = "--------------------";
/// Firmware revision, sensor type and firmware image share this register.
constexpr std::uint16_t kFirmwareRegister = 0x6004;
/// The dump shows this many characters of a string parameter at most.
constexpr std::size_t kDumpTextMax = 5;
/// A message lists this many registers that could not be read, at most.
constexpr std::size_t kFailedReadsShown = 12;
constexpr std::size_t kShownNameMax = 40;
constexpr std::size_t kShownFileMax = 200;

/// True when `file` can be created or replaced: its folder exists and is writable and the
/// name is not a folder.
bool CanWrite(const std::filesystem::path& file)
{
    if (file.empty() || !file.has_filename())
        return false;
    std::error_code ec;
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    if (!std::filesystem::is_directory(folder, ec) || std::filesystem::is_directory(file, ec))
        return false;
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool InWorkspace(const _OrvStParam&, const RegisterLink& link) { return link.ws; }

/// The operating registers, the identification registers and everything from 0x6080 up; not
/// the flash and table spaces (0x0700-0x5FFF), the command and status registers (0x6009-0x607F)
/// nor the output-format entries.
bool InDump(const _OrvStParam& param, const RegisterLink& link)
{
    const std::uint16_t a = link.address;
    if ((a >= 0x0700 && a <= 0x5FFF) || (a >= 0x6009 && a <= 0x607F))
        return false;
    return std::strstr(param.name, "Format_") == nullptr;
}

std::string WordHex(std::uint32_t word) { return FormatText("%08X", word); }

std::string LocalText(const std::tm& time, const char* format)
{
    std::locale locale = std::locale::classic();
    try {
        locale = std::locale("");
    } catch (const std::exception&) {
        // An unknown locale in the environment: the C locale's formats.
    }
    std::ostringstream out;
    out.imbue(locale);
    out << std::put_time(&time, format);
    return out.str();
}

/// Replaces the file as a whole: `result` when written, -1 (logged, and why in `why` when
/// given) when not.
int WriteWholeFile(const char* method, const std::filesystem::path& file, const std::string& text, int result,
                   std::string* why = nullptr)
{
    std::string error;
    if (platform::WriteFileAtomically(file, text, &error))
        return result;
    camera::LinkLog(method, "cannot write <%s>: %s", file.c_str(), error.c_str());
    if (why)
        *why = error.empty() ? "write failed" : error;
    return link_result::kFileFailed;
}

std::tm SystemLocalTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}

}  // namespace

CCameraLink::RegisterEntries CCameraLink::CollectRegisters(bool (*take)(const _OrvStParam&, const RegisterLink&),
                                                           bool withText, int& result,
                                                           std::vector<FailedRead>* failed)
{
    std::size_t count = 0;
    GetParametersList(nullptr, &count);
    std::vector<_OrvStParam> list(count);
    if (count > 0)
        GetParametersList(list.data(), &count);
    list.resize(count);
    result = list.empty() ? link_result::kFileFailed : 0;

    RegisterEntries entries;
    for (const _OrvStParam& listed : list) {
        const char* name = listed.name;
        RegisterLink link;
        if (GetRegisterLink(*this, name, link) != 0 || !take(listed, link))
            continue;
        int read = 0;
        switch (listed.type) {
        case OrvParam_Int: {
            std::int64_t value = 0;
            read = GetParamInt(name, &value);
            break;
        }
        case OrvParam_Bool: {
            bool value = false;
            read = GetParamBool(name, &value);
            break;
        }
        case OrvParam_Float: {
            double value = 0;
            read = GetParamFloat(name, &value);
            break;
        }
        case OrvParam_String: {
            char buffer[kDumpTextMax + 1] = {};
            std::size_t length = sizeof buffer;
            read = GetParamString(name, buffer, &length);
            break;
        }
        default:
            break;
        }
        if (read != 0) {
            camera::LinkLog(withText ? kDumpMethod : kRgsMethod, "read of <%s> at 0x%04X failed: %d", name,
                            unsigned{link.address}, read);
            if (result == 0)
                result = read;
            if (failed)
                failed->push_back({link.address, name, read});
        }
        // The value the store holds now: the one just read, or the last one known.
        _OrvStParam param;
        if (GetParamData(name, &param) != 0)
            continue;
        RegisterEntry& entry = entries[link.address];
        switch (param.type) {
        case OrvParam_Int:
        case OrvParam_Bool:
        case OrvParam_Float:
            if (const auto word = ValueCoder::EncodeParam(param, link)) {
                entry.word |= *word;
                entry.coded = true;
            }
            if (withText && param.type == OrvParam_Int)
                entry.text += FormatText("%s = %d  ", name, static_cast<std::int32_t>(param.value.n));
            else if (withText && param.type == OrvParam_Bool)
                entry.text += FormatText("%s = %d  ", name, param.value.b.value != 0 ? 1 : 0);
            break;
        case OrvParam_String: {
            // A string fills the whole register, its first character in the most significant byte.
            if (link.mask != 0) {
                entry.word = *ValueCoder::EncodeString(std::string_view(param.text).substr(0, 4));
                entry.coded = true;
            }
            if (withText)
                entry.text += FormatText("%s = <%s>", name, param.text.substr(0, kDumpTextMax).c_str());
            break;
        }
        default:
            break;
        }
    }
    return entries;
}

int CCameraLink::WriteRgsFile(const std::filesystem::path& file)
{
    if (RefuseWithoutConfiguration("Save Workspace"))
        return link_result::kNotConfigured;
    const std::string shownFile = camera::PrintableText(file.string(), kShownFileMax);
    if (!CanWrite(file)) {
        camera::LinkLog(kRgsMethod, "cannot write <%s>", file.c_str());
        ShowLinkMessage(FormatText("The workspace cannot be saved to <%s>: the folder does not exist, is not "
                                   "writable, or the name is a folder.", shownFile.c_str()));
        return link_result::kFileFailed;
    }
    WaitScope wait(m_pWaitIndicator, kRgsWaitText);
    int result = 0;
    std::vector<FailedRead> failed;
    const RegisterEntries entries = CollectRegisters(InWorkspace, false, result, &failed);
    // A word the camera did not give would be written back into a camera by a later load.
    if (!failed.empty()) {
        std::string box = FormatText("The workspace was not saved: %zu read%s from the camera failed.\n"
                                     "Registers that could not be read:",
                                     failed.size(), failed.size() == 1 ? "" : "s");
        for (std::size_t i = 0; i < failed.size() && i < kFailedReadsShown; ++i)
            box += FormatText("\n0x%04X %s (nRet: %d)", unsigned{failed[i].address},
                              camera::PrintableText(failed[i].name, kShownNameMax).c_str(), failed[i].result);
        if (failed.size() > kFailedReadsShown)
            box += FormatText("\n... and %zu more.", failed.size() - kFailedReadsShown);
        wait.End();
        ShowLinkMessage(box);
        return result;
    }

    std::string text = rgs::OpeningLines();
    for (const auto& [address, entry] : entries)
        if (entry.coded)
            text += rgs::FormatWriteLine(address, entry.word) + "\r\n";
    text += rgs::ClosingLines();
    if (!m_strSettingsKey.empty() && !m_GuiSettings.Items().empty())
        text += m_GuiSettings.Format(rgs::kSettingsPrefix);

    std::string error;
    const int written = WriteWholeFile(kRgsMethod, file, text, result, &error);
    if (written == link_result::kFileFailed && !error.empty()) {
        wait.End();
        ShowLinkMessage(FormatText("The workspace cannot be saved to <%s>: %s.", shownFile.c_str(), error.c_str()));
    }
    return written;
}

int CCameraLink::WriteDumpFile(const std::filesystem::path& file)
{
    if (RefuseWithoutConfiguration("Save Dump Camera Regs"))
        return link_result::kNotConfigured;
    if (!CanWrite(file))
        return link_result::kFileFailed;
    WaitScope wait(m_pWaitIndicator, kDumpWaitText);
    int result = 0;
    const RegisterEntries entries = CollectRegisters(InDump, true, result);

    const auto firmware = entries.find(kFirmwareRegister);
    const std::tm now = m_localTime ? m_localTime() : SystemLocalTime();
    std::string text;
    text += std::string(kDumpRule) + "\r\n";
    text += "-Model#  :" + camera::PrintableText(m_strModelName) + "\r\n";
    text += "-Serial# :" + camera::PrintableText(m_strSerialNumber) + "\r\n";
    text += "-FW Rev# :" + WordHex(firmware == entries.end() ? 0u : firmware->second.word) + "\r\n";
    text += "-Date# :" + LocalText(now, "%x") + "\r\n";
    text += "-Time# :" + LocalText(now, "%H:%M") + "\r\n";
    text += std::string(kDumpRule) + "\r\n";
    for (const auto& [address, entry] : entries)
        text += FormatText("Add=0x%04X:<%s> %s\r\n", unsigned{address}, WordHex(entry.word).c_str(),
                           camera::PrintableText(entry.text).c_str());

    return WriteWholeFile(kDumpMethod, file, text, result);
}
