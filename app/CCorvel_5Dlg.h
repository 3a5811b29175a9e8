// The main window of the configurator (dialog 225): the camera link, the register map of the
// camera's configuration, nine panel slots with their buttons and View items, the status row,
// the configuration rebuild and the polling timers. It is shown modeless, so the panels (windows
// of their own) stay usable.
#pragma once

#include "CPanelSlot.h"
#include "CWaitGUIThread.h"
#include "MainMenu.h"

#include "camera/CameraLink.h"
#include "camera/ITerminalSink.h"
#include "catalogues/CatalogueEngine.h"
#include "controls/BindingLogic.h"
#include "controls/Command.h"
#include "controls/WindowTimers.h"
#include "tools/ITerminalOwner.h"

#include <QIcon>
#include <QWidget>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>

class CDlgCameraInfo;
class CTerminal;
class CWarningDialog;
class CDrawButton;
class QLabel;
class QFrame;
class QMenu;
class QMenuBar;
class QPushButton;

/// What a port selector hands over: a Camera Link serial library (path) or a COM port name,
/// the port index, and the detected baud rate (kept, not used: the link detects it again).
struct PortChoice {
    std::string name;
    int portIndex = 0;
    int baudRate = 0;
    bool isLibrary = true;
};

/// The port selector as the main window runs it. False: the operator cancelled.
class IPortSelector {
public:
    virtual ~IPortSelector() = default;
    virtual bool Run(PortChoice& choice) = 0;
};

/// The texts the camera-information panel shows for the polls.
struct CameraInfoTexts {
    std::string temperature = "---------";
    /// The cooler's temperature in degrees Celsius (configuration 7 only, else 0).
    float tecTemperature = 0.0f;
    std::string exposure = "---------";
    std::string frameRate = "---------";
    std::string frameTime = "---------";
    std::string imageSize = "----x----";
};

class CCorvel_5Dlg : public QWidget,
                     public ILinkHost,
                     public ICatalogueListeners,
                     public ITerminalOwner,
                     public wnd::ICommandTarget {
    Q_OBJECT
public:
    enum {
        IDD = 225,
        IDC_CAMERA_LABEL = 1059,
        IDC_STATUS_FRAME = 1067,
        IDC_STATUS_BUTTON = 1232,
        IDD_TERMINAL = 175,
        ID_VIEW_FIRST = cmd::kViewFirst,
        ID_BAUD_FIRST = cmd::kBaud9600,
        ID_COMMAND_TERMINAL = cmd::kCommandTerminal,
        ID_APP_ABOUT = cmd::kAbout,
        IDM_ABOUTBOX = 16,  ///< the About command's system-menu id
    };
    /// System commands the window handles (the low four bits are the system's own).
    enum : unsigned { SC_MINIMIZE = 0xF020, SC_RESTORE = 0xF120 };

    enum : unsigned { TIMER_TEMPERATURE = 9991, TIMER_EXPOSURE = 9992, TIMER_FRAME_TIME = 9993 };
    static constexpr char kNotDetectedText[] = "Not Detected";
    /// The label while the camera answers but its register map could not be loaded.
    static constexpr char kNotConfiguredText[] = "Not Configured";
    static constexpr int kLabelChars = 13;
    /// The polling period while there is no terminal to hold it.
    static constexpr int kDefaultPollingMs = 1000;
    /// The shortest polling period, whatever the terminal's "PollingTime" says.
    static constexpr int kLeastPollingMs = 250;

    /// settings: the link's "Communications" settings (null: the application's).
    explicit CCorvel_5Dlg(QWidget* parent = nullptr, ISettings* settings = nullptr);
    ~CCorvel_5Dlg() override;

    /// The window's start: reads the "LastConfig" flags, builds the menu, rebuilds for the
    /// unidentified camera, then selects a port when there is a selector (kept for Switch
    /// Port). -1 when the operator cancelled.
    int OnInitDialog(IPortSelector* selector);
    /// Runs the event loop until this window closes (Exit, the close box), whatever other
    /// window is open or refuses to close; returns the loop's result.
    int DoModal();
    /// The selector Switch Port runs (borrowed; null: Switch Port does nothing).
    void SetPortSelector(IPortSelector* selector) { m_pSelector = selector; }

    // ---- menu ----
    /// A fresh menu from the table: "Run <program>", no "Open Help", the Debug mark.
    void SetupMenu();
    /// Save To > Factory Space greyed unless "Communications"/"Factory" is set, the Boot From
    /// and Command Terminal marks, no "Save Dump Camera Regs".
    void UpdateMenuState();
    /// View marks by the slots' View flags, the no-animation flag to the panels, Select All.
    void UpdateViewChecks();
    /// Marks the index-th Load From item (0 File, 1 WorkSpace, 2 Factory, 3-6 user spaces;
    /// -1 none), then restacks the panels and the window.
    void CheckLoadSource(int index);
    void LayoutStatusRow(int x, int y, int width);
    MainMenu& Menu() { return m_Menu; }

    // ---- commands ----
    void OnRunApplication();
    void OnLoadFromFile();
    void OnLoadFromWorkspace();
    void OnLoadFromSpace(int space);
    void OnSaveToFile();
    void OnWriteRegisters();
    void OnSaveToFactory();
    void OnSaveToUserSpace(int space);
    void OnBootFrom(int space);
    void OnBpmDialog();
    void OnCommandTerminal();
    void OnDownloadTerminal();
    void OnSwitchPort();
    void OnBaudRate(int id);
    /// Ticks the baud item of rate index `index` and no other (none for an index without one).
    void CheckBaudItem(int index);
    void OnExit();
    /// A logout or a kill: ends as Exit does, but asks nothing (nobody may be there to answer);
    /// a running script is stopped on the way out.
    void OnTerminationSignal();
    void OnViewPanel(int id);
    void OnAttachWindows();
    void OnOpenHelp();
    void OnDebugMode();
    void OnSaveDump();
    void OnMinimize();
    /// SC_MINIMIZE hides every panel, SC_RESTORE shows those viewed and open again, the About
    /// command runs the About box; then the window's own handling.
    void OnSysCommand(unsigned id);
    /// A slot button was clicked, or its panel closed (0x7000): the slot's open flag follows
    /// the button's latch.
    void OnPanelButton(int buttonId);
    /// The rate of the BaudRate parameter's index-th value in the register map; 0 when the map
    /// or the parameter has none.
    int BaudRateOfIndex(int index) const;
    /// The dump's suggested file name: model name and serial number, safe as a file name.
    std::string DumpFileName() const;

    /// The configuration rebuild for the link's configuration index.
    void SetDefault();
    /// Runs the selector until a port is chosen (0) or it is cancelled (-1).
    int SelectPort(IPortSelector* selector);
    /// Takes the space the camera boots from ("BootFrom") for the Boot From mark: true when it
    /// was read, else the mark is the factory space.
    bool ReadBootSpace();
    /// The polling timers' handler (9991 temperature, 9992 exposure, 9993 frame time and reconnect).
    void OnTimer(unsigned id);
    bool UpdateTemperature();
    bool UpdateExposure();
    bool UpdateFrameTime();
    /// Shows the power-protection warning while "ESDEventProtection" reads non-zero, hides it
    /// when it reads 0 or cannot be read.
    void UpdateProtectionWarning();
    void UpdateConnectionIcon();
    /// True when the last exchange got an answer from the camera (a refusal is one).
    bool CameraAnswers() const;
    /// The camera stopped answering: not connected, every live value dashed, the lamp dark.
    void LoseCamera();
    void RecalcLayout();
    void BringPanelsToTop();
    /// While a script run or a flash upload holds the camera channel (the link's
    /// m_ChannelOwner), the polls do nothing and the other panels are disabled.
    /// The channel's holder changed; scriptWrote: a script run that sent bytes gave it back.
    void OnChannelOwnerChanged(bool scriptWrote = false);
    /// True (after telling the operator why) when another user holds the camera channel.
    bool RefuseWhileChannelHeld();
    /// The modal About box, given the link only when the camera was identified.
    void OnAbout();
    /// Saves "Pos" and closes every slot.
    void OnDestroy();

    COptionDialog* GetPanel(int slot) const;
    CPanelSlot& Slot(int slot) { return m_Slots[slot]; }
    CDrawButton* SlotButton(int slot) const { return m_Slots[slot].m_pButton; }
    QMenu* ViewMenu() const { return m_Menu.Popup(1); }
    CTerminal* TerminalWindow() const { return m_pTerminal.get(); }
    CWarningDialog* WarningDialog() const { return m_pWarningDlg; }
    wnd::CWndTimers& Timers() { return *m_pTimers; }
    QString CameraLabelText() const;
    int StatusIconId() const { return m_nStatusIcon; }
    int PanelRow() const { return m_nPanelRow; }
    bool InRebuild() const { return m_nInSetDefault.load() != 0; }

    QIcon m_hIcon;                   ///< the program's icon, the window's icon
    CWaitIndicator m_WaitIndicator;  ///< declared before the link, which borrows it
    CCameraLink m_Link;
    RegisterMapPtr m_pXmlDoc;
    CameraInfoTexts m_CameraInfo;
    /// At the top of the client area from the first rebuild on; the window owns it.
    CDlgCameraInfo* m_pCameraInfo = nullptr;
    bool m_bConnected = false;
    /// The camera's register map failed to load: the camera cannot be configured or polled.
    bool m_bUnconfigured = false;
    bool m_bSelectAll = true;
    bool m_bViewSave = false;
    int m_nBaudIndex = -1;
    int m_nBootFrom = 0;
    int m_bShowPythonPanel = 0;
    int m_bShowDebugInfo = 0;
    int m_nLogging = 0;
    int m_bDebugMode = 0;
    int m_bNoAnimation = 0;
    bool m_bShowTerminal = false;
    /// Called at the start of every rebuild that passed the re-entry guard (tests).
    std::function<void()> m_onRebuildStarted;
    /// Where a camera's own register map file ("CamDef.<map>.xml") is looked for: the program's
    /// folder (tests use another).
    std::filesystem::path m_mapFolder;

    // ILinkHost
    int LoggingLevel() const override { return m_nLogging; }
    int ShowAppMessage(const std::string& text, const std::string& caption, unsigned flags) override;
    ITerminalSink* Terminal() override;
    int ShowErrorDialog(const std::string& text) override;
    // ICatalogueListeners
    OrvParamListener* PanelListener(int slot) override;
    /// The camera-information dialog: null until the first rebuild creates it.
    OrvParamListener* CameraInfoListener() override;
    // ITerminalOwner
    void ResetPollingTimers() override;
    // ICommandTarget: ID_PANEL_CLOSED from a panel, the terminal's close.
    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam) override;

signals:
    /// The window was closed: the program ends.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    /// F2, Enter and Esc do nothing in the main window.
    void keyPressEvent(QKeyEvent* event) override;
    /// Docked panels follow the window once it is initialised.
    void moveEvent(QMoveEvent* event) override;
    /// Minimise and restore hide and show the panels; activation restacks them.
    void changeEvent(QEvent* event) override;

private:
    void CreateSlotPanel(int slot, int row);
    /// The polls' texts into the camera-information dialog.
    void ShowCameraInfo();
    /// Every live value dashed, in the camera-information and temperature panels, lamp dark.
    void ClearLiveValues();
    void RunCatalogueBuilder(int row);
    void StartTimers();
    int PollingPeriod() const;
    void SetCameraLabel();
    /// Docked panels move with the window, floating ones check whether they now dock.
    void PanelsFollow();
    /// A latched slot button is released and the slot's panel hidden and marked closed.
    void CloseOpenPanel(CPanelSlot& slot);
    void HidePanels();
    void ShowViewedPanels();
    /// A file dialog owned by this window; empty when the operator cancelled.
    std::string AskFile(bool save, const char* title, const char* filter, const char* suffix,
                        const std::string& initialName);
    /// Runs `poll` with the link's echo following the terminal's "Disable Polling".
    template <typename Poll>
    void WithPollingEcho(Poll poll);

    CPanelSlot m_Slots[kPanelSlots];
    ctl::ActivationList m_ActivationList;
    std::unique_ptr<CTerminal> m_pTerminal;
    CWarningDialog* m_pWarningDlg = nullptr;  ///< created hidden by the first rebuild
    std::unique_ptr<wnd::CWndTimers> m_pTimers;
    std::atomic<std::int32_t> m_nInSetDefault{0};
    int m_nPanelRow = -1;
    int m_nStatusIcon = 169;
    bool m_bInitialized = false;
    bool m_bEndingOnSignal = false;  ///< closing for a termination signal: no question
    std::atomic<ChannelUser> m_scriptHolder{ChannelUser::None};  ///< the holder last heard
    std::atomic<std::uint64_t> m_nBytesAtScriptStart{0};       ///< the link's count when a script took it
    bool m_bDestroyed = false;
    bool m_bRestacking = false;
    IPortSelector* m_pSelector = nullptr;
    MainMenu m_Menu;
    QMenuBar* m_pMenuBar;
    QWidget* m_pClient;
    QPushButton* m_pStatusButton;
    QFrame* m_pStatusFrame;
    QLabel* m_pCameraLabel;
};
