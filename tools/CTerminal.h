// The "Command Terminal" window: a command line whose lines run raw register frames, parameter
// reads and writes by short command name, and "help" against the main window's camera link,
// and an output area that also receives the link's echo of every frame, answer and parameter
// change while its echo flag is set. It keeps at most 1000 lines. It also holds three settings
// of the main window and the link: "Disable Polling", the polling period and "Disable Error
// Checking". The window belongs to the main window, which shows and hides it; closing it asks
// the main window to hide it, and Escape never closes it.
#pragma once

#include "camera/ITerminalSink.h"
#include "controls/Command.h"
#include "orvmisc/OrvParamListener.h"
#include "platform/Clock.h"

#include <QDialog>

#include <memory>
#include <string>

class CCameraLink;
class CNumericEdit;
class ISettings;
class ITerminalOwner;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class TerminalCommands;

class CTerminal : public QDialog, public OrvParamListener, public ITerminalSink, public wnd::ICommandTarget {
public:
    enum {
        IDD = 175,
        IDC_COMMAND_LINE = 1145,
        IDC_OUTPUT = 1244,
        IDC_DISABLE_POLLING = 1007,
        IDC_POLLING_TIME = 1241,
        IDC_BT_CLEAR = 1270,
        IDC_DISABLE_ERROR_CHECK = 1065,
    };
    /// The main window's "Command Terminal" command, posted when the window is closed.
    static constexpr unsigned ID_COMMAND_TERMINAL = 32796;
    /// The output keeps this many lines (the empty line after the last line end counts).
    static constexpr int kMaxOutputLines = 1000;
    /// The shortest polling period, ms: timers do not run faster.
    static constexpr int kMinPollingTimeMs = 10;
    static constexpr char kClearRecord[] = "==========================Clear Terminal History===================";

    /// `mainWnd` hears the close command and, when it implements ITerminalOwner, restarts its
    /// timers (see SetOwner). `link` is the main window's camera link; `settings` the settings
    /// file (null: the application's); `clock` times the commands (null: the real clock). All
    /// are borrowed and must outlive the terminal.
    CTerminal(QWidget* mainWnd, CCameraLink* link, ISettings* settings = nullptr, platform::IClock* clock = nullptr);
    ~CTerminal() override;

    /// Builds the window's controls (template 175) under `parent` and initialises them from the
    /// settings. The window stays hidden until shown.
    bool Create(int nIDTemplate, QWidget* parent);

    /// The window that restarts the polling timers (borrowed; null: none).
    void SetOwner(ITerminalOwner* owner) { owner_ = owner; }

    // ITerminalSink: the camera link's echo and its error dialog.
    /// Appends the text and a line end to the output, keeping its last 1000 lines; an empty
    /// text is ignored.
    void AddText(const std::string& text) override;
    void SetErrorCheckingDisabled(bool refreshControls) override;

    void OnParamChanged(const _OrvStParam* param) override;
    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam) override;

    /// Empties the output and writes the clear record to the application log. The main window
    /// calls it too (port selection, reconnection, reload, debug toggle).
    void OnBnClickedBtClear();
    /// True when the output area holds text.
    bool HasOutput() const;
    /// Runs the command line's text (Enter in the command line).
    void OnMsgFilterCommand();
    void OnBnClickedDisablePolling();
    void OnEnKillfocusPollingTime();
    void OnBnClickedDisableErrorCheck();
    /// Lays out the command line and the output area for a client size of cx x cy.
    void OnSize(int cx, int cy);

    /// Exchanges the members with the controls: `save` takes the controls' values (false when
    /// the polling period is not a number: the previous one stays), else shows the members.
    bool UpdateData(bool save = true);

    // Read by the main window.
    int m_nDisablePolling = 0;      ///< 1 while "Disable Polling" is checked
    int m_nPollingTime = 1000;      ///< the polling timers' period, ms
    int m_nDisableErrorCheck = 0;   ///< 1 while "Disable Error Checking" is checked
    std::string m_strCommand;       ///< the command line's text while it runs

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    /// Escape does nothing.
    void reject() override {}

private:
    void BuildTemplate();
    bool OnInitDialog();
    int SettingInt(const char* section, const char* key, int defaultValue) const;
    void WriteSetting(const char* section, const char* key, int value);

    QWidget* mainWnd_;
    CCameraLink* link_;
    ISettings* settings_;
    platform::IClock* clock_;
    ITerminalOwner* owner_ = nullptr;
    std::unique_ptr<TerminalCommands> commands_;
    bool initialised_ = false;
    bool inKillFocus_ = false;

    QPlainTextEdit* m_Output = nullptr;
    QLineEdit* m_CommandLine = nullptr;
    QCheckBox* m_btnDisablePolling = nullptr;
    CNumericEdit* m_editPollingTime = nullptr;
    QCheckBox* m_btnDisableErrorCheck = nullptr;
};
