// The workspace sent back to the camera: replaying a workspace file's command lines, writing
// the store's workspace values, the camera's own configuration spaces (factory space 0 under
// the supervisor password, user spaces 1-4) with their GUI-settings files, and raw commands
// typed as hexadecimal digits. GUI settings live in files named by the camera's serial number
// in the data folder.
#include "camera/CPerfCounter.h"
#include "camera/CameraLink.h"
#include "camera/LinkLog.h"
#include "camera/LinkText.h"
#include "camera/RgsFile.h"
#include "platform/Paths.h"
#include "platform/ProfileSettings.h"

#include <fstream>
#include <iterator>
#include <vector>

using camera::FormatText;
using camera::LinkLog;

namespace {

constexpr const char* kLoadMethod = "CCameraLink::LoadWorkspaceFromFile";
constexpr const char* kByteMethod = "CCameraLink::SendByteCommand";
constexpr const char* kCameraWaitText = "Write Registers to Camera. Wait please";
constexpr const char* kHexLengthText = "HEX command should have 3 or 7 bytes";
/// A workspace file holds one short line per register; anything larger is not one.
constexpr std::uintmax_t kWorkspaceMaxBytes = 16u << 20;
/// A malformed line is shown with at most this many characters.
constexpr std::size_t kShownLineMax = 60;

std::string FrameText(const std::uint8_t frame[7])
{
    return FormatText("Command: <%02X %02X%02X %02X%02X%02X%02X>", frame[0], frame[1], frame[2], frame[3], frame[4],
                      frame[5], frame[6]);
}

/// Why a typed hex command is not sent: its length, or the first character that is no digit.
std::string HexCommandProblem(const std::string& text, const rgs::CommandLine& command)
{
    if (command.notHexAt >= text.size())
        return kHexLengthText;
    const auto c = static_cast<unsigned char>(text[command.notHexAt]);
    const std::string shown = c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c)) : FormatText("\\x%02X", c);
    return FormatText("HEX command: '%s' (character %zu of %s) is not a hexadecimal digit", shown.c_str(),
                      command.notHexAt + 1, text.c_str());
}

/// The register of "BaudRate" in the catalogue, else the one of the built-in maps.
std::uint16_t RateRegister(CCameraLink& link)
{
    RegisterLink reg;
    return GetRegisterLink(link, "BaudRate", reg) == 0 && reg.mask != 0 ? reg.address : rgs::kBaudRateRegister;
}

}  // namespace

int CCameraLink::LoadWorkspaceFromFile(const std::filesystem::path& file, ReplayReport* reportOut)
{
    ReplayReport report;
    const int level = LoggingLevel();
    const bool log = level > 1 || (level > 0 && m_bEchoToTerminal);
    if (log)
        LinkLog(kLoadMethod, "Load Workspace From File <%s>", file.c_str());

    std::string text;
    std::string why;
    if (platform::ReadWholeFile(file, kWorkspaceMaxBytes, text, &why) != platform::ReadFileResult::Ok) {
        LinkLog(kLoadMethod, "cannot read <%s>: %s", file.c_str(), why.c_str());
        if (reportOut)
            *reportOut = report;
        return link_result::kFileFailed;
    }
    // The whole file is checked first: half a workspace, or one cut short, leaves the camera
    // in a state no operator can use (supervisor mode, error checking off).
    const rgs::WorkspaceCheck check = rgs::CheckWorkspace(text);
    if (!check.Fit()) {
        report.malformed = check.malformed;
        const std::string shown = camera::PrintableText(check.badText, kShownLineMax);
        LinkLog(kLoadMethod, "line %zu %s, file refused: <%s>", check.badLine, check.reason, shown.c_str());
        if (m_pMainWindow) {
            std::string box = FormatText("Line %zu %s:\n<%s>", check.badLine, check.reason, shown.c_str());
            if (check.malformed > 1)
                box += FormatText("\n%d lines are no 3- or 7-byte command.", check.malformed);
            box += "\nThe file was not loaded: nothing was sent to the camera.";
            m_pMainWindow->ShowAppMessage(box, kAppCaption, kMbOk);
        }
        if (reportOut)
            *reportOut = report;
        return link_result::kMalformedCommand;
    }

    WaitScope wait(m_pWaitIndicator, kCameraWaitText);
    const std::uint16_t rateRegister = RateRegister(*this);
    for (const rgs::WorkspaceCheck::Line& line : check.commands) {
        const rgs::CommandLine& command = line.command;
        const std::string shown = camera::PrintableText(line.text, kShownLineMax);
        // The line rate belongs to the connection, not to the workspace: a file saved at another
        // rate would switch the camera away from the host in the middle of the file.
        if (command.frame[0] == protocol::kWriteCommand && protocol::FrameAddress(command.frame) == rateRegister) {
            ++report.skipped;
            LinkLog(kLoadMethod, "line %zu <%s>: the baud rate is left as it is", line.number, shown.c_str());
            continue;
        }

        AnswerBuffer answer{};
        std::uint32_t length = command.length;
        const int result = Transact(command.frame, &length, answer);
        ++report.sent;
        if (log)
            LinkLog(kLoadMethod, "Cmd=<%s> nRet = %d", shown.c_str(), result);
        std::string box;
        if (result != 0) {
            box = FrameText(command.frame) + FormatText("\n   nRet: %d <0x%04X>", result, static_cast<unsigned>(result));
        } else if (answer[0] != protocol::kAck) {
            box = FrameText(command.frame) + FormatText("\n  Error: <%02X%02X>", answer[0], answer[1]);
        }
        if (box.empty())
            continue;
        if (report.failed++ == 0)
            report.firstError = result != 0 ? result : link_result::kRefused;
        if (m_pMainWindow)
            m_pMainWindow->ShowAppMessage(box, kAppCaption, kMbOk);
        // The channel is gone: every further line would fail the same way.
        if (result < 0) {
            report.stopped = true;
            break;
        }
    }

    LoadGuiSettingsFromFile(file);
    if (reportOut)
        *reportOut = report;
    if (report.firstError != 0)
        return report.firstError;
    return report.sent > 0 ? 0 : link_result::kFileFailed;
}

void CCameraLink::WriteWorkspaceToCamera()
{
    WaitScope wait(m_pWaitIndicator, kCameraWaitText);
    std::size_t count = 0;
    GetParametersList(nullptr, &count);
    std::vector<_OrvStParam> list(count);
    if (count > 0)
        GetParametersList(list.data(), &count);
    list.resize(count);
    for (_OrvStParam& param : list) {
        RegisterLink link;
        if (GetRegisterLink(*this, param.name, link) == 0 && link.ws)
            SetParamToCamera(&param);
    }
}

int CCameraLink::SaveToUserSet(int space)
{
    if (space < 0 || space > 4)
        return kOrvParamBadArgument;
    int result = SetParamIntIfOnline("BootSelector", space, true, false);
    if (result == 0) {
        if (space > 0) {
            result = SetParamIntIfOnline("BootSave", 0, true, false);
        } else {
            // The factory space takes a save only in supervisor mode, left again at once.
            const std::uint8_t enter[7] = {protocol::kWriteCommand,
                                           static_cast<std::uint8_t>(rgs::kSupervisorRegister >> 8),
                                           static_cast<std::uint8_t>(rgs::kSupervisorRegister & 0xFF),
                                           static_cast<std::uint8_t>(rgs::kSupervisorPassword >> 24),
                                           static_cast<std::uint8_t>(rgs::kSupervisorPassword >> 16),
                                           static_cast<std::uint8_t>(rgs::kSupervisorPassword >> 8),
                                           static_cast<std::uint8_t>(rgs::kSupervisorPassword)};
            result = SendRawCommand(enter);
            if (result == 0) {
                result = SetParamIntIfOnline("BootSave", 0, true, false);
                std::uint8_t leave[7] = {enter[0], enter[1], enter[2], 0, 0, 0, 0};
                SendRawCommand(leave);
            }
        }
    }
    SaveGuiSettings(space);
    return result;
}

int CCameraLink::LoadFromUserSet(int space)
{
    if (space < 0 || space > 4)
        return kOrvParamBadArgument;
    int result = SetParamIntIfOnline("BootSelector", space, true, false);
    if (result == 0)
        result = SetParamIntIfOnline("BootLoad", 0, true, false);
    LoadGuiSettings(space);
    return result;
}

int CCameraLink::SendByteCommand(const std::string& text, AnswerBuffer& reply, std::uint32_t* length)
{
    CPerfCounter perf(kByteMethod, __LINE__);
    const rgs::CommandLine command = rgs::ParseHexCommand(text);
    if (command.kind != rgs::LineKind::Command) {
        if (m_pMainWindow)
            m_pMainWindow->ShowAppMessage(HexCommandProblem(text, command), kAppCaption, kMbOk);
        return link_result::kFileFailed;
    }
    std::uint32_t n = command.length;
    const int result = Transact(command.frame, &n, reply);
    if (length)
        *length = n;
    return result;
}

std::filesystem::path CCameraLink::DataFolder() const
{
    if (m_dataFolder.empty())
        return platform::GetAppDataFolder();
    platform::CreateFolderPath(m_dataFolder);
    return m_dataFolder;
}

bool CCameraLink::LoadGuiSettings(long space)
{
    m_GuiSettings.Clear();
    if (m_strSettingsKey.empty())
        return false;
    if (space == 0) {
        m_GuiSettings.SetDefaults();
        return false;
    }
    return m_GuiSettings.Load(DataFolder() / GuiSettingsFileName(m_strSettingsKey, space < 0 ? -1 : space));
}

bool CCameraLink::SaveGuiSettings(long space)
{
    if (m_strSettingsKey.empty() || m_GuiSettings.Items().empty())
        return false;
    return m_GuiSettings.Save(DataFolder() / GuiSettingsFileName(m_strSettingsKey, space < 0 ? -1 : space));
}

bool CCameraLink::LoadGuiSettingsFromFile(const std::filesystem::path& file)
{
    m_GuiSettings.Clear();
    if (m_strSettingsKey.empty() || file.empty())
        return false;
    return m_GuiSettings.Load(file);
}
