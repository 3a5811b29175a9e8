// "Python Scripts": the scripting console panel. It keeps a list of script files (stored in
// "py.cfg" in the data folder), runs a chosen one on the process's Python interpreter (a double
// click or "Run" in the list's context menu) and executes lines typed into its command line
// ("Send" or Enter). What the scripts print appears in its terminal area. While a job runs the
// job holds the camera channel (the link's m_ChannelOwner, so no other user reaches the camera),
// "Send" turns into "Stop", and names a job defines stay for the next job until the panel closes.
#pragma once

#include "controls/COptionDialog.h"

#include <QString>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QLineEdit;
class QTimer;

class CDlgRunPythonScript : public COptionDialog {
public:
    enum { IDD = 231, IDI_PYTHON = 232, IDR_SCRIPT_MENU = 234 };
    enum : int {
        IDC_SCRIPTS_LABEL = 1694, IDC_SCRIPTS = 1693, IDC_TERMINAL_LABEL = 1695, IDC_OUTPUT = 1242,
        IDC_COMMAND = 1241, IDC_SEND = 1692, IDC_CLEAR = 1272,
    };
    enum : unsigned { ID_SCRIPT_RUN = 32872, ID_SCRIPT_ADD = 32873, ID_SCRIPT_DELETE = 32874, ID_SCRIPT_DELETE_ALL = 32876 };
    /// How often the terminal takes what the running job printed.
    static constexpr int kOutputPollMs = 50;
    /// Lines the terminal area keeps; older ones scroll away.
    static constexpr int kMaxOutputLines = 10000;

    CDlgRunPythonScript(QWidget* mainWnd, CCameraLink* link);
    ~CDlgRunPythonScript() override;

    bool OnInitDialog() override;
    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam) override;
    /// Enter in the command line sends it; elsewhere the focus moves on.
    void OnOK() override;

    // What the panel holds, for the window tests.
    const std::vector<std::string>& Scripts() const { return m_Scripts; }
    const std::filesystem::path& ScriptListFile() const { return m_listFile; }
    QString OutputText() const;
    bool JobRunning() const { return m_bJobRunning; }

protected:
    void BuildTemplate() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RunScript();
    void OnBnClickedSend();
    void OnBnClickedClear();
    void AddScript();
    void DeleteScript();
    void DeleteAllScripts();
    void OnContextMenu(const QPoint& pos);

    void LoadScriptList();
    void SaveScriptList();
    void LayoutScriptList();
    /// Appends text (UTF-8, "\n" line ends) at the end of the terminal area.
    void AppendOutput(const std::string& text);

    /// Marks a job as started: polls off, inputs locked, "Send" becomes "Stop".
    void BeginJob(const std::string& finishLine);
    /// Takes the running job's output; ends the job once the host is idle.
    void PollJob();
    void SetJobControls(bool running);
    bool ReportNoPython();

    QListWidget* m_lbScripts = nullptr;
    QPlainTextEdit* m_editOutput = nullptr;
    QLineEdit* m_editCommand = nullptr;
    QPushButton* m_btnSend = nullptr;
    QPushButton* m_btnClear = nullptr;
    QLabel* m_stTerminalLabel = nullptr;
    QTimer* m_pOutputTimer = nullptr;

    std::vector<std::string> m_Scripts;
    std::filesystem::path m_listFile;   ///< fixed at construction: a run changes the current folder
    bool m_bKeepOldList = false;        ///< the file held lines we could not use: back it up first
    int m_nItemHeight = 0;
    int m_nHeight = -1;
    int m_nWidth = -1;
    bool m_bJobRunning = false;
    std::string m_finishLine;           ///< printed when the running job has ended
};
