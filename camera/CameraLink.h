// The camera connection, which is at the same time the camera's parameter store: typed gets and
// sets of a parameter run its callbacks on this object, which find it again by its instance id.
// It owns the serial channel (a Camera Link serial library or a COM port) and the camera's
// identity. Instances are numbered from 1 by a process-wide counter and found by number
// through a process-wide registry.
//
// One concern per source file: CameraLink.cpp (object, numbering, settings, online guard),
// CameraLinkChannel.cpp (serial channel), CameraLinkIdentification.cpp (baud detection,
// identification), CameraLinkProtocol.cpp (register exchanges, refusal reports),
// CameraLinkCoding.cpp (parameter callbacks: value coding, change check, console echo),
// CameraLinkFiles.cpp (workspace and dump files written from the store),
// CameraLinkWorkspace.cpp (workspace replay, user spaces, raw hex commands, GUI settings),
// ParamDefinition.cpp (frame-size limits read at the end of a catalogue build).
#pragma once

#include "camera/CParamsMap.h"
#include "camera/ChannelOwner.h"
#include "camera/ClserBinding.h"
#include "camera/ComPort.h"
#include "camera/IErrorOwner.h"
#include "camera/ILinkHost.h"
#include "camera/LinkLog.h"
#include "camera/ISettings.h"
#include "camera/ITerminalSink.h"
#include "camera/IWaitIndicator.h"
#include "camera/RegisterLink.h"
#include "camera/RegisterMap.h"
#include "camera/RegisterProtocol.h"
#include "orvmisc/OrvParamStorage.h"
#include "platform/Clock.h"
#include "platform/DynamicLibrary.h"

#include <atomic>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

/// Section and keys of the link's settings, with their defaults.
namespace rgs {
struct ModeState;
}

namespace comm {
inline constexpr const char* kSection = "Communications";
inline constexpr const char* kTimeout = "Timeout";
inline constexpr int kTimeoutDefault = 50;
inline constexpr const char* kWriteReadByByte = "WriteReadByByte";
inline constexpr const char* kCheckErrorDisabled = "CheckErrorDisabled";
inline constexpr const char* kRit = "RIT";
inline constexpr int kRitDefault = 20;
inline constexpr const char* kRttc = "RTTC";
inline constexpr int kRttcDefault = 30;
inline constexpr const char* kRttm = "RTTM";
inline constexpr int kRttmDefault = 20;
inline constexpr const char* kWttc = "WTTC";
inline constexpr int kWttcDefault = 100;
inline constexpr const char* kWttm = "WTTM";
inline constexpr int kWttmDefault = 100;
inline constexpr const char* kBaudRate = "BaudRate";
inline constexpr int kBaudRateDefault = 115200;
}  // namespace comm

/// Channel results (0 is success; a library's own codes pass through unchanged).
namespace link_result {
inline constexpr int kNoCamera = 70;            ///< port open, no answer to "Ping" at any rate
inline constexpr int kComFailed = -1;           ///< COM read/write/line setting, or baud switch
inline constexpr int kComNothingRead = -5;      ///< a one-byte COM read got nothing
inline constexpr int kComOpenFailed = -61;
inline constexpr int kComGetTimeoutsFailed = -62;
inline constexpr int kComSetTimeoutsFailed = -63;
inline constexpr int kComGetStateFailed = -64;
inline constexpr int kNoChannel = -510;
inline constexpr int kNoReadEntry = -530;
inline constexpr int kNoWriteEntry = -540;
inline constexpr int kNoCloseEntry = -550;
inline constexpr int kPortNotOpen = -555;
/// A SetParam…IfOnline while the camera is offline.
inline constexpr int kOffline = 1;
/// A file could not be opened, created or written, or holds nothing to send.
inline constexpr int kFileFailed = -1;
/// A workspace file was refused before anything was sent: a command line that is not exactly
/// a 3- or 7-byte frame, or the closing lines missing (a file cut short).
inline constexpr int kMalformedCommand = -7008;
/// Another user holds the channel (a script run): nothing was sent, the camera stays online.
inline constexpr int kChannelBusy = -7010;
static_assert(kChannelBusy != kNotConfigured && kChannelBusy != kMalformedCommand, "each result code means one thing");
}  // namespace link_result

/// What a workspace replay did, line by line.
struct ReplayReport {
    int sent = 0;        ///< command lines sent to the camera
    int failed = 0;      ///< of those, refused or lost on the channel
    int malformed = 0;   ///< command lines that are not a proper frame (the file is then refused)
    int skipped = 0;     ///< writes of the rate register, left out
    int firstError = 0;  ///< result of the first failed line (0: none)
    bool stopped = false;  ///< the channel failed and the rest of the file was not sent
    int notSent = 0;       ///< command lines after the failed one, not sent
    /// The camera did not take the closing lines after a failure: it may be left in supervisor
    /// mode or with its error checking off.
    bool leftOpen = false;
};

class CCameraLink : public OrvParamStorage {
public:
    /// Reads the "Communications" keys from `settings` (null: the application's settings),
    /// which must outlive the link.
    explicit CCameraLink(ISettings* settings = nullptr);
    ~CCameraLink() override;

    /// Sets the parameter when `force` is set or the camera is online (running its callbacks and,
    /// with `notify`, its listeners); otherwise sets nothing and answers 1. Every integer write
    /// of the program goes through here.
    virtual int SetParamIntIfOnline(const char* name, std::int64_t value, bool notify, bool force);
    /// The same for a flag and a floating-point value.
    virtual int SetParamBoolIfOnline(const char* name, bool value, bool notify, bool force);
    virtual int SetParamFloatIfOnline(const char* name, double value, bool notify, bool force);

    /// The window that owns the link (borrowed; see ILinkHost).
    void SetMainWindow(ILinkHost* host) { m_pMainWindow = host; }
    /// The clock the protocol waits on (borrowed; null: the real clock).
    void SetClock(platform::IClock* clock) { m_pClock = clock ? clock : &platform::DefaultClock(); }
    int LoggingLevel() const { return m_pMainWindow ? m_pMainWindow->LoggingLevel() : 0; }

    // ---- serial channel (CameraLinkChannel.cpp) ----
    /// Releases the open channel and opens the one `name` denotes: a Camera Link serial library
    /// path (contains "clser", any case) or a COM port. 0, 70 (no camera), or a negative code.
    int Init(const std::string& name);
    /// Closes the open port: 0, -510, -550 or -555.
    int Close();
    /// Opens the port again by its name (a library port by its index) after a hang-up or an I/O
    /// error closed it. 0 when it is open (also when it was never lost), else the open's result.
    int Reopen();
    /// Reopen, then the host side of the line back at the rate it ran at (a port opens at its
    /// default): for a step tried again once a lost port may be back. 0 when the port is open.
    int ReopenAtRate();
    /// The port went away (a hang-up, an I/O error, a reference the library no longer knows):
    /// it is closed until Reopen succeeds.
    bool PortLost() const { return m_bPortLost != 0; }
    /// Opens port `port` of the loaded library: `port` when it opened with 0, else the
    /// library's result, or -52 without an init entry.
    int CheckPort(std::uint32_t port);
    /// Moves up to `*count` bytes under the process-wide channel lock; `*count` := bytes moved.
    /// A read waits up to `timeoutMs` for its first byte on either transport and answers what
    /// arrived (a COM port ends it after the "RIT" gap once bytes came). Writes use the time-out
    /// as the library takes it; a COM port its own write time-outs.
    int Read(void* buffer, std::uint32_t* count, std::uint32_t timeoutMs);
    int Write(const void* buffer, std::uint32_t* count, std::uint32_t timeoutMs);
    /// Bytes written to the camera since the link was made, by every user (a script's raw
    /// frames too): a change tells that something may have reached the camera.
    std::uint64_t BytesWritten() const { return m_nBytesWritten.load(); }
    /// Throws away what the camera sent that no exchange read (an answer that came after its
    /// time-out, or a second copy of one), so the next frame's answer is its own. 0, or the
    /// channel's result.
    int DiscardPendingInput();
    /// Switches the host side of the line: 0 or -1.
    int SetBaudRate(int rate);

    // ---- identification (CameraLinkIdentification.cpp) ----
    /// Tries 115200, 57600, 38400, 19200 and 9600 baud until "Ping" answers; the host side
    /// stays at the last rate tried. Refused reads are not reported meanwhile.
    bool DetectBaudRate();
    /// One step of the search for a camera that stopped answering, short enough for a timer:
    /// reopens a lost port, then tries one rate with one "Ping" (the rate that last answered
    /// first, then the others in turn). True when the camera answered; the host side then
    /// stays at that rate.
    bool ProbeNextRate();
    /// Without `force` the state of the last exchange; with it, whether "Ping" can be read
    /// (whatever it holds), trying once more after 1000 ms on the link's clock.
    bool IsConnected(bool force);
    /// Identifies the camera: its configuration index ("CamCode"), model and serial-number
    /// texts, white-balance sensor, variant tag and settings key; loads the GUI settings of
    /// the space it boots from. Needs "Ping", "CamCode", "CCD_Type" and "BootFrom" in the
    /// store. Nothing of the store is copied here: it still holds the catalogue of the camera
    /// before (or only these parameters), until this camera's is built. 0, also when the camera does not answer (the link is then offline), or -7777
    /// when the "Ping" read was refused and reported.
    int ReadCameraInfo();
    /// The camera's register map could not be loaded: forgets every parameter but the
    /// identification ones (the registers every configuration has at the same place), which
    /// are kept for reading only, so that no user of the store reaches this camera at another
    /// map's addresses: no parameter is written, and the workspace, space and dump operations
    /// refuse with -7011 (`link_result::kNotConfigured`) and a message. The copy of the
    /// "Exposure" record goes too. The next catalogue build ends it.
    void ForgetConfiguration();
    /// True from ForgetConfiguration until the next catalogue build.
    bool ConfigurationLost() const { return m_bConfigurationLost != 0; }
    /// Ends ForgetConfiguration's state (called by a catalogue build).
    void ConfigurationBuilt() { m_bConfigurationLost = 0; }
    /// Takes the copy of the "Exposure" record from the catalogue just built (called by a
    /// catalogue build, after its parameters); empty when the catalogue has none.
    void KeepExposureRecord();
    /// While the configuration is lost: shows that `what` needs it and answers true.
    bool RefuseWithoutConfiguration(const char* what);
    /// The parameters ForgetConfiguration keeps.
    static constexpr const char* kIdentificationParams[] = {"Ping", "CamCode", "CCD_Type", "BootFrom"};

    // ---- register protocol (CameraLinkProtocol.cpp) ----
    using AnswerBuffer = protocol::AnswerBuffer;
    /// One exchange: writes the `*length` bytes of `frame`, waits the frame's post-write delay,
    /// reads the status byte and, after an accepted read frame, the data word; after a refusal
    /// drains up to 16 further bytes into the answer in order. `*length` := bytes received.
    /// 0, 15 (refused) or the channel's failure (-5 for a transfer that came up short). A
    /// channel failure marks the camera offline. The caller zeroes `answer`.
    int Transact(const std::uint8_t* frame, std::uint32_t* length, AnswerBuffer& answer);
    /// The same exchange for the flash tools: 2000 ms for the write, 1000 ms per read, a longer
    /// drain, and a status byte that does not come leaves the camera online.
    int TransactFixedTimeout(const std::uint8_t* frame, std::uint32_t* length, AnswerBuffer& answer);
    /// Reads register `address` raw: the four data bytes in the order received. 0, or 1 when
    /// the exchange failed or the camera refused it.
    int ReadRegisterBytes(std::uint16_t address, std::uint8_t bytes[4]);
    /// Sends a caller's frame (7 bytes; a read frame's first 3) through Transact. The result of
    /// the exchange, or for an accepted read of a flash status register the decoded flash
    /// status (7, 4, 2 or 0).
    int SendRawCommand(const std::uint8_t frame[7]);
    /// Writes the supervisor password (`on`) or 0 to the supervisor register through
    /// SendRawCommand; the result of the exchange.
    int SetSupervisorMode(bool on);
    /// Sends a caller's frame of `length` bytes through TransactFixedTimeout, with the same
    /// flash status decoding (also for 0xE058).
    int SendFlashCommand(const std::uint8_t* frame, std::uint32_t length);
    /// Milliseconds the camera needs between a frame and its status byte (commands that save
    /// or load a flash space, switch the boot space or the output format).
    int GetPostWriteDelay(const std::uint8_t* frame, std::uint32_t length) const;
    /// Shows a refused write of parameter `name` to the operator. False when the operator
    /// disabled error checking in the error dialog, true otherwise.
    bool ReportWriteError(const AnswerBuffer& answer, const char* name, std::uint8_t status);
    /// Shows a refused read. True when something was shown and acknowledged.
    bool ReportReadError(std::uint8_t status, const char* name);

    // ---- parameter callbacks and value coding (CameraLinkCoding.cpp) ----
    /// Codes the record's value into its register and writes it. 0 on success; 15 or the
    /// status byte for a refusal; a negative channel result; -7004 without a register link;
    /// -7006 when the value cannot be sent. A link with mask 0 sends nothing and answers 0.
    int SetParamToCamera(_OrvStParam* param);
    /// Reads the record's register and stores the decoded value. 0, 15 (refused), -7777
    /// (refused and reported), a negative channel result, or -7004 without a register link.
    int GetParamFromCamera(_OrvStParam* param);
    /// 7001 when a boolean is set to the value it holds, else 0. `newValue` as the store passes
    /// it (int64_t, uint8_t, double or text).
    int CheckParam(const _OrvStParam* param, const void* newValue);
    /// Echoes the new value in the camera's command syntax ("<cmd value"). 0.
    int ParamToConsole(const _OrvStParam* param, const void* newValue);
    /// Echoes the stored value as the camera's reply (">cmd value"). 0, or -7004 without a
    /// register link.
    int ParamToConsoleReply(const _OrvStParam* param);

    /// The four callbacks every camera parameter carries; each finds its link by `ownerId`.
    static int ParamReadCallback(std::uint32_t ownerId, _OrvStParam* param);
    static int ParamEchoCallback(std::uint32_t ownerId, _OrvStParam* param, const void* newValue);
    static int ParamChangingCallback(std::uint32_t ownerId, _OrvStParam* param, const void* newValue);
    static int ParamWriteCallback(std::uint32_t ownerId, _OrvStParam* param);

    // ---- end of a catalogue build (ParamDefinition.cpp) ----
    /// Reads the four frame-size limits from the camera (binning switched off around the reads,
    /// horizontal first, and back on afterwards); the maxima are also the maximum image size. A
    /// limit that cannot be read keeps its previous value.
    void UpdateFrameSizeLimits();

    /// Finds a link by instance id; null when none has it (or it is gone).
    static CCameraLink* FindParamStorageById(std::uint32_t id);

    // ---- workspace and dump files (CameraLinkFiles.cpp) ----
    /// Reads every workspace parameter from the camera and writes the workspace file: the
    /// opening lines, one write line per register that a workspace field contributes to
    /// (ascending address, fields coded as a camera write codes them), the closing lines and,
    /// when a settings key is set, the GUI settings as "-- key=value". The file is replaced as
    /// a whole. 0; -1 when the file cannot be written or the store holds no parameters (the
    /// fixed lines are still written); otherwise the first failed camera read: then no file is
    /// written and the operator is shown the registers that could not be read. A file that
    /// cannot be written is shown too.
    int WriteRgsFile(const std::filesystem::path& file);
    /// Reads every parameter of the operating and identification registers from the camera
    /// and writes the register dump: a header with model, serial number, firmware word, date
    /// and time, then one line per register with its word and the names and values of its
    /// parameters. Results as WriteRgsFile.
    int WriteDumpFile(const std::filesystem::path& file);

    // ---- workspace replay, user spaces, raw commands, GUI settings (CameraLinkWorkspace.cpp) ----
    /// Replays the command lines of a workspace file, then loads its GUI settings. A refused
    /// line is shown and the replay goes on; a channel failure is shown once and ends the
    /// replay; a line that is not exactly a 3- or 7-byte frame is not sent and is shown once at
    /// the end with the count of such lines. 0 when every command line was sent and accepted;
    /// -1 when the file cannot be read or holds no command line; else the first failed line's
    /// result, or -7008 when only malformed lines failed. `report` (optional) gets the counts.
    int LoadWorkspaceFromFile(const std::filesystem::path& file, ReplayReport* report = nullptr);
    /// Writes the value the store holds for every workspace parameter to the camera (no store
    /// set, no listeners). Stops at the first write the camera does not answer (every further
    /// one would fail the same way, each with its error dialog) and says how many were left out.
    void WriteWorkspaceToCamera();
    /// Saves the camera's settings into its space 0 (factory, under the supervisor password)
    /// or 1-4, and the GUI settings into that space's file (a user space's only when the
    /// camera saved it). The last camera write's result; a failure is shown.
    int SaveToUserSet(int space);
    /// Loads the camera's space 0-4 and, when the camera took it, that space's GUI settings.
    /// The last write's result; a failure is shown. `loadSent` (optional): BootLoad was sent,
    /// so the camera may hold the space's settings whatever the result.
    int LoadFromUserSet(int space, bool* loadSent = nullptr);
    /// Sends a frame typed as 6 or 14 hexadecimal digits (3 or 7 bytes, most significant
    /// first). The exchange's result with the answer in `reply` and its length in `*length`;
    /// -1 with a message for any other text. A write the camera took is stored and announced
    /// (StoreWrittenWord).
    int SendByteCommand(const std::string& text, AnswerBuffer& reply, std::uint32_t* length);
    /// The parameters of the register at `address` take their values from `word`, written to
    /// the camera, and their listeners are told.
    void StoreWrittenWord(std::uint16_t address, std::uint32_t word);

    /// Loads the GUI settings of space -1 (the last run), 1-4 (a user space) or sets the
    /// factory defaults for space 0 (false then). False with no settings key.
    bool LoadGuiSettings(long space);
    /// Saves the GUI settings of space -1 or 0-4. False with no settings key or no entries.
    bool SaveGuiSettings(long space);
    /// Loads the GUI settings from the "-- key=value" lines of a workspace file. A file without
    /// such lines (or no settings key) leaves the settings as they are, and answers false.
    bool LoadGuiSettingsFromFile(const std::filesystem::path& file);
    /// The same for a workspace file's text.
    bool LoadGuiSettingsFromText(std::string_view text);

    /// The wait window shown during long file operations (borrowed; null: none).
    void SetWaitIndicator(IWaitIndicator* indicator) { m_pWaitIndicator = indicator; }
    /// The folder of the GUI-settings files; empty: the program's data folder.
    void SetDataFolder(const std::filesystem::path& folder) { m_dataFolder = folder; }
    std::filesystem::path DataFolder() const;
    /// The local time the dump header shows (null: the system's).
    void SetLocalTimeSource(std::function<std::tm()> source) { m_localTime = std::move(source); }

    // Camera identity and state. The windows change the state through these operations, so
    // each invariant has one writer.

    /// Whether the camera is online: integer writes are carried out.
    bool IsOnline() const { return m_bOnline != 0; }
    /// Takes the camera online when its link is alive, so the writes a panel's refresh makes
    /// reach it.
    void GoOnlineIfAlive()
    {
        if (m_bLinkAlive)
            GoOnline();
    }
    /// Takes the camera online (a camera the main window had connected before).
    void GoOnline() { m_bOnline = 1; }
    /// Takes the camera offline: integer writes are refused until it goes online again.
    void GoOffline() { m_bOnline = 0; }
    /// Takes the camera offline when its link is not alive (the last exchange failed).
    void GoOfflineIfLost()
    {
        if (!m_bLinkAlive)
            GoOffline();
    }
    /// One "Ping" read: the link is alive when the camera answered it, whatever the register
    /// holds. True then.
    bool AnswersPing();
    /// Marks the camera identified or not; an unidentified camera's refused reads are reported.
    void SetIdentified(bool identified) { m_bNotIdentified = identified ? 0 : 1; }
    /// Whether frames and answers are echoed to the command terminal.
    void SetEchoToTerminal(bool echo) { m_bEchoToTerminal = echo ? 1 : 0; }
    /// Whether refusals are shown to the operator (the terminal's "Disable Error Checking").
    void SetCheckErrorDisabled(bool disabled) { m_bCheckErrorDisabled = disabled ? 1 : 0; }
    /// The serial-library port Init and Reopen open (-1: Init only loads the library).
    void SetPortIndex(std::int32_t port) { m_nPortIndex = port; }
    /// The panel whose operation is running, through which refusals are shown (null: none).
    void SetErrorOwner(IErrorOwner* owner) { m_pErrorOwner = owner; }
    /// The number of serial ports the loaded library reports: 0 and `count`, or -1 when the
    /// library has no such entry or refuses the question.
    int SerialPortCount(std::uint32_t& count) const
    {
        return m_cl.clGetNumSerialPorts && m_cl.clGetNumSerialPorts(&count) == 0 ? 0 : -1;
    }

    std::string m_strModelName;
    std::string m_strSerialNumber;
    std::uint8_t m_bLinkAlive = 0;
    std::int32_t m_nTapsAllowed = 4;
    std::int32_t m_nActiveTaps = 2;
    std::int32_t m_nConfigIndex = -1;
    std::int32_t m_nImageWidthMax = 1024;
    std::int32_t m_nImageHeightMax = 768;
    char m_nVariantTag[4] = {'\xFF', '\xFF', '\xFF', '\xFF'};
    std::int32_t m_nWidthMin = 20, m_nWidthMax = 640, m_nHeightMin = 30, m_nHeightMax = 480;
    std::uint8_t m_bWhiteBalanceSensor = 0;
    /// Copy of the current catalogue's "Exposure" record (limits of the exposure range), taken
    /// when the catalogue is built; empty before, without the record, and while the
    /// configuration is lost.
    _OrvStParam m_ExposureParam{};

    // Channel.
    /// Who holds the channel beyond one exchange (a script run, a flash upload).
    ChannelOwner m_ChannelOwner;
    ClserEntries m_cl;                      ///< the nine library entries
    platform::DynamicLibrary m_hLibrary;    ///< the loaded Camera Link serial library
    std::string m_strPortName;
    ClSerialRef m_pInstance = nullptr;      ///< the library's port reference
    std::int32_t m_nPortIndex = -1;
    /// The COM port while one is in use; set but not open after a failed open, so reads and
    /// writes fail until the next Close or Init.
    std::unique_ptr<ComPort> m_hComPort;
    std::int32_t m_nTimeout = comm::kTimeoutDefault;
    std::uint8_t m_bPortOpen = 0;
    /// The rate the host side was last switched to; -1 when none is known or detection failed.
    std::int32_t m_nBaudRate = -1;

    /// The register-map document of the current configuration; the console echo reads the
    /// value texts of enumerations from it.
    RegisterMapPtr m_pRegisterMap;
    ILinkHost* m_pMainWindow = nullptr;     ///< borrowed; null: logging level 0, no dialogs
    const std::uint32_t m_nInstanceId;
    std::int32_t m_nWriteReadByByte = 0;
    std::uint8_t m_bEchoToTerminal = 1;
    std::uint8_t m_bNotIdentified = 1;
    std::uint8_t m_bCheckErrorDisabled = 1;
    std::uint8_t m_nLastStatus = 6;
    /// The panel whose operation is running: refusals are shown through it. Borrowed; the
    /// panel clears it when its operation ends.
    IErrorOwner* m_pErrorOwner = nullptr;
    std::string m_strSettingsKey;
    CParamsMap m_GuiSettings;
    std::uint8_t m_bOnline = 0;
    /// Set while DetectBaudRate runs: refused reads are not reported then.
    std::uint8_t m_bDetectingBaudRate = 0;
    /// Set while a refusal report identifies the camera again: refused reads met there are
    /// not reported once more.
    std::uint8_t m_bReportingError = 0;

    /// The "Communications" settings the link reads (the main window reads its own keys there).
    ISettings& Settings() const { return *m_pSettings; }

protected:

private:
    int InitComPort(const std::string& name);
    /// Opens the COM port and sets its time-outs and line from the settings (channel lock held).
    int OpenComPortLocked(const std::string& name, ComPort::LineSettings& line);
    /// Closes a port that hung up or failed and marks it lost (channel lock held).
    void DropLostPortLocked(const char* method, int error);
    int InitLibrary(const std::string& name);
    /// 0 when the library's port can move bytes through the entry, else -510, `noEntryResult`
    /// or -555.
    int LibraryPortState(bool entryBound, int noEntryResult) const;
    /// Closes an open library port and unloads the library; closes a COM port. Takes the
    /// channel lock, so a read or write of another thread ends first.
    void ReleaseChannelLocked();

    struct ExchangeTiming;
    int Exchange(const std::uint8_t* frame, std::uint32_t* length, AnswerBuffer& answer, const ExchangeTiming& timing);
    /// Shows the error dialog; the operator's answer decides whether error checking stays on.
    /// False when it was disabled.
    bool RunErrorDialog(const std::string& text, std::uint8_t status, bool refreshTerminal);
    /// The terminal when echo lines are wanted and the window has one, else null.
    ITerminalSink* EchoTerminal() const;
    /// The enumeration text of `value` under the element at `path` ("" when none).
    std::string EnumerationText(const std::string& path, std::int64_t value) const;

    /// One register's word as collected from the store, with the dump's text of its fields.
    struct RegisterEntry {
        std::uint32_t word = 0;
        std::string text;
        bool coded = false;  ///< some field put bits into the word
    };
    using RegisterEntries = std::map<std::uint16_t, RegisterEntry>;
    /// Sends the write lines that take the camera back from `modes` (error checking on, then
    /// supervisor mode off), again after a pause while the camera does not answer, and after a
    /// failure on the channel (`afterFailure`) only after a pause; `modes` follows what the
    /// camera took. True when every line was taken.
    bool CloseWorkspaceModes(rgs::ModeState& modes, bool afterFailure);
    /// A message box of the main window (none without one).
    void ShowLinkMessage(const std::string& text);

    /// A read of a parameter that failed while the registers were collected.
    struct FailedRead {
        std::uint16_t address;
        std::string name;
        int result;
    };
    /// Reads every parameter that `take` accepts from the camera and codes it into its
    /// register's entry. `result` := 0, -1 for an empty store, or the first failed read; each
    /// failed read is added to `failed` when given, and then the reads stop at the first one
    /// that loses the camera (`*unread` := the parameters left unread).
    RegisterEntries CollectRegisters(bool (*take)(const _OrvStParam&, const RegisterLink&), bool withText, int& result,
                                     std::vector<FailedRead>* failed = nullptr, std::size_t* unread = nullptr);

    std::uint8_t m_bPortLost = 0;
    std::uint8_t m_bConfigurationLost = 0;
    /// The rate the camera last answered at (0: none yet), and the probe's next step.
    std::int32_t m_nAnsweredRate = 0;
    std::int32_t m_nProbeStep = 0;
    /// Open failures of Reopen, logged once while they repeat.
    camera::RepeatFilter m_OpenFailureLog;
    ISettings* m_pSettings;  ///< borrowed; outlives the link
    IWaitIndicator* m_pWaitIndicator = nullptr;  ///< borrowed; outlives the link
    std::atomic<std::uint64_t> m_nBytesWritten{0};
    std::filesystem::path m_dataFolder;
    std::function<std::tm()> m_localTime;
    platform::IClock* m_pClock = &platform::DefaultClock();  ///< borrowed; outlives the link
};

/// The camera's configuration index: "CamCode" read until it names a machine configuration
/// (4-11), at most 11 times; the last value read, which may lie outside 4-11. -1 for a null
/// link, a camera that does not answer "Ping" (see IsConnected) or a last read that failed.
std::int32_t ReadCamCode(CCameraLink* link);
