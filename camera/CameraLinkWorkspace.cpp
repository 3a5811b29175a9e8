// The workspace sent back to the camera: replaying a workspace file's command lines, writing
// the store's workspace values, the camera's own configuration spaces (factory space 0 under
// the supervisor password, user spaces 1-4) with their GUI-settings files, and raw commands
// typed as hexadecimal digits. GUI settings live in files named by the camera's serial number
// in the data folder.
#include "camera/CPerfCounter.h"
#include "camera/CameraLink.h"
#include "camera/LinkLog.h"
#include "camera/LinkText.h"
#include "camera/RegisterLink.h"
#include "camera/RgsFile.h"
#include "camera/ValueCoder.h"
#include "platform/Paths.h"
#include "platform/ProfileSettings.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <vector>

using camera::FormatText;
using camera::LinkLog;

namespace {

constexpr const char* kLoadMethod = "CCameraLink::LoadWorkspaceFromFile";
constexpr const char* kSaveMethod = "CCameraLink::SaveToUserSet";
constexpr const char* kCloseMethod = "CCameraLink::CloseWorkspaceModes";
constexpr const char* kByteMethod = "CCameraLink::SendByteCommand";
constexpr const char* kWriteMethod = "CCameraLink::WriteWorkspaceToCamera";
constexpr const char* kCameraWaitText = "Write Registers to Camera. Wait please";
constexpr const char* kHexLengthText = "HEX command should have 3 or 7 bytes";
/// A workspace file holds one short line per register; anything larger is not one.
constexpr std::uintmax_t kWorkspaceMaxBytes = 16u << 20;
/// A malformed line is shown with at most this many characters.
constexpr std::size_t kShownLineMax = 60;
/// After a failure on the channel the closing lines are tried this many times, each after a
/// pause long enough for a late answer to come in.
constexpr int kCloseAttempts = 4;
constexpr int kCloseSettleMs = 1000;
constexpr const char* kNothingSent = "The file was not loaded: nothing was sent to the camera.";

/// A file name as a message shows it.
std::string FileText(const std::filesystem::path& file) { return camera::PrintableText(file.string(), 200); }

/// A configuration space as the menus name it.
std::string SpaceText(int space)
{
    return space == 0 ? std::string("the factory space") : FormatText("user space #%d", space);
}

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

/// True when a rate-register line asks for the rate the store knows the camera runs at, so
/// leaving it out changes nothing; false when it asks for another or the rate is not known.
bool SameRate(CCameraLink& link, const rgs::CommandLine& command)
{
    RegisterLink reg;
    _OrvStParam param;
    if (GetRegisterLink(link, "BaudRate", reg) != 0 || reg.mask == 0 || link.GetParamData("BaudRate", &param) != 0 ||
        param.type != OrvParam_Int)
        return false;
    const std::uint32_t word = ValueCoder::BytesToWord(command.frame + 3);
    return static_cast<std::int64_t>(ValueCoder::DecodeField(word, reg.mask, reg.shift)) == param.value.n;
}

}  // namespace

int CCameraLink::LoadWorkspaceFromFile(const std::filesystem::path& file, ReplayReport* reportOut)
{
    ReplayReport report;
    const auto finish = [&](int result) {
        if (reportOut)
            *reportOut = report;
        return result;
    };
    const int level = LoggingLevel();
    const bool log = level > 1 || (level > 0 && m_bEchoToTerminal);
    if (log)
        LinkLog(kLoadMethod, "Load Workspace From File <%s>", file.c_str());
    if (RefuseWithoutConfiguration("Load Workspace"))
        return finish(link_result::kNotConfigured);

    std::string text;
    std::string why;
    if (platform::ReadWholeFile(file, kWorkspaceMaxBytes, text, &why) != platform::ReadFileResult::Ok) {
        LinkLog(kLoadMethod, "cannot read <%s>: %s", file.c_str(), why.c_str());
        ShowLinkMessage(FormatText("The workspace file <%s> cannot be read: %s.\n%s", FileText(file).c_str(),
                                   why.c_str(), kNothingSent));
        return finish(link_result::kFileFailed);
    }
    // Wide-character text (two bytes a character) and binary files hold zero bytes; no line
    // of theirs can be trusted, not even one that happens to read as a command.
    if (text.find('\0') != std::string::npos) {
        LinkLog(kLoadMethod, "<%s> holds zero bytes, file refused", file.c_str());
        ShowLinkMessage(FormatText("The file <%s> is no workspace file: it is binary or not plain text.\n%s",
                                   FileText(file).c_str(), kNothingSent));
        return finish(link_result::kFileFailed);
    }
    // The whole file is checked first: half a workspace, or one cut short, leaves the camera
    // in a state no operator can use (supervisor mode, error checking off).
    const rgs::WorkspaceCheck check = rgs::CheckWorkspace(text);
    if (!check.Fit()) {
        report.malformed = check.malformed;
        const std::string shown = camera::PrintableText(check.badText, kShownLineMax);
        LinkLog(kLoadMethod, "line %zu %s, file refused: <%s>", check.badLine, check.reason, shown.c_str());
        std::string box = FormatText("Line %zu %s:\n<%s>", check.badLine, check.reason, shown.c_str());
        if (check.malformed > 1)
            box += FormatText("\n%d lines are no 3- or 7-byte command.", check.malformed);
        ShowLinkMessage(box + "\nThe file was not loaded: nothing was sent to the camera.");
        return finish(link_result::kMalformedCommand);
    }
    if (check.commands.empty()) {
        // A file of GUI settings alone still carries them: they are taken, and nothing is sent.
        const bool settings = LoadGuiSettingsFromText(text);
        LinkLog(kLoadMethod, "<%s> holds no command line%s", file.c_str(), settings ? ", GUI settings loaded" : "");
        ShowLinkMessage(settings ? FormatText("The file <%s> holds no camera command: nothing was sent to the camera.\n"
                                              "Its GUI settings were loaded.",
                                              FileText(file).c_str())
                                 : FormatText("The file <%s> holds no camera command.\n%s", FileText(file).c_str(),
                                              kNothingSent));
        return finish(link_result::kFileFailed);
    }

    WaitScope wait(m_pWaitIndicator, kCameraWaitText);
    const std::uint16_t rateRegister = RateRegister(*this);
    rgs::ModeState modes;
    std::string stopText;
    bool otherRate = false;
    std::size_t index = 0;
    for (; index < check.commands.size(); ++index) {
        const rgs::WorkspaceCheck::Line& line = check.commands[index];
        const rgs::CommandLine& command = line.command;
        const std::string shown = camera::PrintableText(line.text, kShownLineMax);
        // The line rate belongs to the connection, not to the workspace: a file saved at another
        // rate would switch the camera away from the host in the middle of the file.
        if (command.frame[0] == protocol::kWriteCommand && protocol::FrameAddress(command.frame) == rateRegister) {
            ++report.skipped;
            if (!SameRate(*this, command))
                otherRate = true;
            LinkLog(kLoadMethod, "line %zu <%s>: the baud rate is left as it is", line.number, shown.c_str());
            continue;
        }

        AnswerBuffer answer{};
        std::uint32_t length = command.length;
        const int result = Transact(command.frame, &length, answer);
        ++report.sent;
        if (log)
            LinkLog(kLoadMethod, "Cmd=<%s> nRet = %d", shown.c_str(), result);
        if (result == 0 && answer[0] == protocol::kAck) {
            modes.Apply(command);
            continue;
        }
        if (report.failed++ == 0)
            report.firstError = result != 0 ? result : link_result::kRefused;
        // The channel is gone: every further line would fail the same way. What the camera was
        // told is told once the camera is back in normal mode, or known not to be.
        if (result < 0) {
            modes.ApplyUnsure(command);
            report.stopped = true;
            stopText = FrameText(command.frame) +
                       FormatText("\n   nRet: %d <0x%04X>", result, static_cast<unsigned>(result)) +
                       FormatText("\nThe camera stopped answering at line %zu of the file.", line.number);
            break;
        }
        const std::string box = result != 0
            ? FrameText(command.frame) + FormatText("\n   nRet: %d <0x%04X>", result, static_cast<unsigned>(result))
            : FrameText(command.frame) + FormatText("\n  Error: <%02X%02X>", answer[0], answer[1]);
        ShowLinkMessage(box);
    }

    std::string summary = stopText;
    if (report.stopped) {
        // Lines after the failed one, but for the closing lines: those are sent below.
        std::size_t rest = 0;
        for (std::size_t i = index + 1; i < check.commands.size(); ++i)
            if (!rgs::WritesModeRegister(check.commands[i].command))
                ++rest;
        report.notSent = static_cast<int>(rest);
        if (rest > 0)
            summary += FormatText(" %zu command line%s after it %s not sent: the camera does not hold the file's "
                                  "settings.",
                                  rest, rest == 1 ? "" : "s", rest == 1 ? "was" : "were");
    }
    if (modes.Open()) {
        const rgs::ModeState open = modes;
        if (CloseWorkspaceModes(modes, report.stopped)) {
            LinkLog(kLoadMethod, "closing lines sent again");
            summary += std::string("\n") + rgs::kClosingTakenText;
        } else {
            LinkLog(kLoadMethod, "closing lines not taken: the camera may be left in supervisor mode");
            report.leftOpen = true;
            summary += "\n" + rgs::ClosingRefusedText(open);
        }
    }
    if (otherRate)
        summary += "\nThe file's baud rate line was left out: the camera keeps the rate of this connection.";
    wait.End();
    if (!summary.empty())
        ShowLinkMessage(summary[0] == '\n' ? summary.substr(1) : summary);

    LoadGuiSettingsFromText(text);
    if (report.firstError != 0)
        return finish(report.firstError);
    return finish(report.sent > 0 ? 0 : link_result::kFileFailed);
}

bool CCameraLink::CloseWorkspaceModes(rgs::ModeState& modes, bool afterFailure)
{
    for (const rgs::CommandLine& close : rgs::ClosingCommands(modes)) {
        int result = link_result::kNotSent;
        for (int attempt = 0; attempt < kCloseAttempts && result < 0; ++attempt) {
            // An answer that comes late arrives and is thrown away before the line is sent.
            if (afterFailure || attempt > 0)
                m_pClock->SleepFor(std::chrono::milliseconds(kCloseSettleMs));
            // A port that went away may be back: a line sent on the lost one only fails again.
            ReopenAtRate();
            AnswerBuffer answer{};
            std::uint32_t length = close.length;
            result = Transact(close.frame, &length, answer);
            if (result == 0 && answer[0] != protocol::kAck)
                result = link_result::kRefused;
            LinkLog(kCloseMethod, "%s: nRet = %d", rgs::FormatWriteLine(protocol::FrameAddress(close.frame),
                                                                                    ValueCoder::BytesToWord(close.frame + 3)).c_str(),
                    result);
        }
        if (result != 0)
            return false;
        modes.Apply(close);
    }
    return true;
}

void CCameraLink::WriteWorkspaceToCamera()
{
    if (RefuseWithoutConfiguration("Write Registers"))
        return;
    WaitScope wait(m_pWaitIndicator, kCameraWaitText);
    std::size_t count = 0;
    GetParametersList(nullptr, &count);
    std::vector<_OrvStParam> list(count);
    if (count > 0)
        GetParametersList(list.data(), &count);
    list.resize(count);
    std::vector<_OrvStParam*> workspace;
    for (_OrvStParam& param : list) {
        RegisterLink link;
        if (GetRegisterLink(*this, param.name, link) == 0 && link.ws)
            workspace.push_back(&param);
    }
    for (std::size_t i = 0; i < workspace.size(); ++i) {
        if (SetParamToCamera(workspace[i]) >= 0 || m_bLinkAlive)
            continue;
        const std::size_t left = workspace.size() - i;
        LinkLog(kWriteMethod, "<%s> got no answer: %zu workspace parameter(s) not written", workspace[i]->name, left);
        wait.End();
        ShowLinkMessage(FormatText("The camera stopped answering at <%s>: %zu of the %zu workspace parameters %s not "
                                   "written. The camera does not hold the workspace.",
                                   workspace[i]->name, left, workspace.size(), left == 1 ? "was" : "were"));
        return;
    }
}

int CCameraLink::SaveToUserSet(int space)
{
    if (space < 0 || space > 4)
        return kOrvParamBadArgument;
    if (RefuseWithoutConfiguration("Save To"))
        return link_result::kNotConfigured;
    const char* step = "BootSelector";
    int result = SetParamIntIfOnline(step, space, true, false);
    if (result == 0) {
        step = "BootSave";
        if (space > 0) {
            result = SetParamIntIfOnline(step, 0, true, false);
        } else {
            // The factory space takes a save only in supervisor mode, left again at once.
            result = SetSupervisorMode(true);
            rgs::ModeState modes;
            if (result == 0) {
                result = SetParamIntIfOnline(step, 0, true, false);
                modes.supervisor = true;
            } else {
                LinkLog(kSaveMethod, "supervisor password not taken: %d", result);
                step = "the supervisor password";
                // An answer lost on the line may have been the camera taking the password.
                modes.supervisor = result < 0;
            }
            if (modes.Open() && !CloseWorkspaceModes(modes, result < 0))
                ShowLinkMessage("The camera did not take the line that leaves supervisor mode.\n"
                                "Switch the camera off and on.");
        }
    }
    if (result != 0)
        ShowLinkMessage(FormatText("The camera did not take %s (nRet: %d): %s was not saved.", step, result,
                                   SpaceText(space).c_str()));
    // A user space's settings file goes with what the camera saved into that space.
    if (result == 0 || space == 0)
        SaveGuiSettings(space);
    return result;
}

int CCameraLink::LoadFromUserSet(int space, bool* loadSent)
{
    if (loadSent)
        *loadSent = false;
    if (space < 0 || space > 4)
        return kOrvParamBadArgument;
    if (RefuseWithoutConfiguration("Load From"))
        return link_result::kNotConfigured;
    const char* step = "BootSelector";
    int result = SetParamIntIfOnline(step, space, true, false);
    if (result == 0) {
        step = "BootLoad";
        result = SetParamIntIfOnline(step, 0, true, false);
        if (loadSent)
            *loadSent = true;
    }
    if (result != 0) {
        // The GUI settings stay with the settings the camera still holds.
        ShowLinkMessage(FormatText("The camera did not take %s (nRet: %d): %s was not loaded.", step, result,
                                   SpaceText(space).c_str()));
        return result;
    }
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
    // A write the camera took set the parameters of that register: the store takes their values
    // from the word written and tells their listeners, as for a value set by name.
    if (result == 0 && command.length == protocol::kWriteFrameSize && command.frame[0] == protocol::kWriteCommand)
        StoreWrittenWord(static_cast<std::uint16_t>((command.frame[1] << 8) | command.frame[2]),
                         ValueCoder::BytesToWord(command.frame + 3));
    return result;
}

void CCameraLink::StoreWrittenWord(std::uint16_t address, std::uint32_t word)
{
    std::size_t count = 0;
    if (GetParametersList(nullptr, &count) != 0 || count == 0)
        return;
    std::vector<_OrvStParam> records(count);
    if (const int listed = GetParametersList(records.data(), &count); listed != 0 && listed != kOrvParamTooSmall)
        return;
    records.resize(count);
    for (_OrvStParam& record : records) {
        RegisterLink reg;
        if (GetRegisterLink(*this, record.name, reg) != 0 || reg.address != address || reg.mask == 0)
            continue;
        if (record.type == OrvParam_Int) {
            const std::int64_t value = ValueCoder::DecodeField(word, reg.mask, reg.shift);
            SetParam(&record, &value, sizeof value);
        } else if (record.type == OrvParam_Bool) {
            const std::uint8_t value = ValueCoder::DecodeField(word, reg.mask, reg.shift) != 0 ? 1 : 0;
            SetParam(&record, &value, 1);
        } else if (record.type == OrvParam_Float) {
            const double value =
                ValueCoder::DecodeFloat(word, reg.mask, reg.shift, record.min.d, record.def.d, record.max.d);
            SetParam(&record, &value, sizeof value);
        } else {
            continue;
        }
        NotifyStored(record.name);
    }
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
    std::string text;
    if (m_strSettingsKey.empty() || file.empty() ||
        platform::ReadWholeFile(file, CParamsMap::kMaxFileBytes, text) != platform::ReadFileResult::Ok)
        return false;
    return LoadGuiSettingsFromText(text);
}

bool CCameraLink::LoadGuiSettingsFromText(std::string_view text)
{
    if (m_strSettingsKey.empty())
        return false;
    // A file without settings lines says nothing about them: the settings stay as they are.
    CParamsMap read;
    if (!read.Parse(text) || read.Items().empty())
        return false;
    m_GuiSettings = std::move(read);
    return true;
}

void CCameraLink::ShowLinkMessage(const std::string& text)
{
    if (m_pMainWindow)
        m_pMainWindow->ShowAppMessage(text, kAppCaption, kMbOk);
}
