#include "panels/CDlgRunPythonScript.h"

#include "camera/CameraLink.h"
#include "controls/CEditTerm.h"
#include "controls/DialogUnits.h"
#include "controls/DlgItem.h"
#include "controls/FileDialog.h"
#include "controls/IconResource.h"
#include "controls/MessageBox.h"
#include "controls/WindowIds.h"
#include "panels/ScriptListLogic.h"
#include "tools/PythonHost.h"

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <system_error>

namespace {

constexpr const char* kNoPython = "Python library was not loaded";
constexpr const char* kScriptFilter = "Python Script Files(*.py)|*.py||";
constexpr const char* kAddTitle = "Load Python Script";
constexpr const char* kBackupName = "py.cfg.bak";
constexpr int kMinRows = 5;
constexpr int kMaxRows = 8;
constexpr int kMinTerminalLines = 6;
/// How long closing waits for a job after each stop.
constexpr auto kStopWait = std::chrono::milliseconds(1500);

script::PythonHost& Host() { return script::PythonHost::Instance(); }

std::string LineNumbers(const std::vector<int>& numbers)
{
    std::string text;
    for (int n : numbers)
        text += (text.empty() ? "" : ", ") + std::to_string(n);
    return text;
}

}  // namespace

CDlgRunPythonScript::CDlgRunPythonScript(QWidget* mainWnd, CCameraLink* link) : COptionDialog(IDD, mainWnd, link)
{
    // The list has one place, whatever folder a script run made current.
    std::error_code ec;
    const std::filesystem::path folder = link ? link->DataFolder() : std::filesystem::current_path(ec);
    m_listFile = std::filesystem::absolute(folder / script_list::kFileName, ec);
    if (ec)
        m_listFile = folder / script_list::kFileName;
    Host().SetCameraLink(link);
}

CDlgRunPythonScript::~CDlgRunPythonScript()
{
    if (m_pOutputTimer)
        m_pOutputTimer->stop();
    script::PythonHost& host = Host();
    // A stop, then a hard stop; a script that still runs is left behind, without the link.
    for (int attempt = 0; attempt < 2 && host.Running(); ++attempt) {
        host.RequestStop();
        host.WaitIdle(kStopWait);
    }
    // The next console starts without this one's names; the interpreter itself stays.
    if (host.Available() && host.ClearNames())
        host.WaitIdle(kStopWait);
    host.SetCameraLink(nullptr);
}

// ---- template 231 ----

void CDlgRunPythonScript::BuildTemplate()
{
    const auto place = [](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(wnd::MapDialogRect(x, y, width, height));
    };
    const auto label = [&](const char* text, int id, int x, int y, int width) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        wnd::SetDlgCtrlID(l, id);
        place(l, x, y, width, 8);
        return l;
    };
    const auto button = [&](const char* text, int id, int x, int y) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        wnd::SetDlgCtrlID(b, id);
        place(b, x, y, 40, 14);
        connect(b, &QPushButton::clicked, this,
                [this, id] { OnCommand(wnd::MakeWParam(id, wnd::BN_CLICKED), wnd::WindowHandle(GetDlgItem(id))); });
        return b;
    };

    label("Scripts list:", IDC_SCRIPTS_LABEL, 4, 4, 80);
    m_lbScripts = new QListWidget(this);
    wnd::SetDlgCtrlID(m_lbScripts, IDC_SCRIPTS);
    place(m_lbScripts, 4, 14, 311, 60);
    m_lbScripts->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_lbScripts, &QListWidget::itemDoubleClicked, this, [this] { RunScript(); });
    connect(m_lbScripts, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) { OnContextMenu(pos); });

    m_stTerminalLabel = label("Terminal:", IDC_TERMINAL_LABEL, 4, 78, 80);
    auto* output = new CEditTermMultiLine(this, IDC_OUTPUT);
    output->setReadOnly(true);
    output->setMaximumBlockCount(kMaxOutputLines);
    output->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    output->setLineWrapMode(QPlainTextEdit::NoWrap);
    place(output, 4, 88, 311, 134);
    m_editOutput = output;

    m_editCommand = new CEditTerm(this, IDC_COMMAND);
    place(m_editCommand, 4, 227, 223, 12);
    m_btnSend = button("Send", IDC_SEND, 231, 226);
    m_btnClear = button("Clear", IDC_CLEAR, 275, 226);
    resize(wnd::MapDialogRect(0, 0, 319, 245).size());
    setMinimumSize(400, 300);

    m_pOutputTimer = new QTimer(this);
    m_pOutputTimer->setInterval(kOutputPollMs);
    connect(m_pOutputTimer, &QTimer::timeout, this, [this] { PollJob(); });
}

bool CDlgRunPythonScript::OnInitDialog()
{
    COptionDialog::OnInitDialog();
    const QIcon icon = wnd::LoadIconResource(IDI_PYTHON);
    if (!icon.isNull())
        setWindowIcon(icon);
    m_nHeight = height();
    m_nWidth = width();
    m_nItemHeight = m_lbScripts->fontMetrics().height() + 2;
    LoadScriptList();
    LayoutScriptList();
    return true;
}

bool CDlgRunPythonScript::OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam)
{
    switch (wnd::LoWord(wParam)) {
    case IDC_SEND:
        OnBnClickedSend();
        return true;
    case IDC_CLEAR:
        OnBnClickedClear();
        return true;
    case ID_SCRIPT_RUN:
        RunScript();
        return true;
    case ID_SCRIPT_ADD:
        AddScript();
        return true;
    case ID_SCRIPT_DELETE:
        DeleteScript();
        return true;
    case ID_SCRIPT_DELETE_ALL:
        DeleteAllScripts();
        return true;
    default:
        return COptionDialog::OnCommand(wParam, lParam);
    }
}

void CDlgRunPythonScript::OnOK()
{
    if (m_editCommand && focusWidget() == m_editCommand) {
        if (!m_bJobRunning)
            OnBnClickedSend();
        return;
    }
    COptionDialog::OnOK();
}

QString CDlgRunPythonScript::OutputText() const { return m_editOutput ? m_editOutput->toPlainText() : QString(); }

// ---- the list ----

void CDlgRunPythonScript::LoadScriptList()
{
    using State = script_list::Loaded::State;
    const script_list::Loaded loaded = script_list::Load(m_listFile);
    const std::string file = m_listFile.string();
    switch (loaded.state) {
    case State::Missing:
        AppendOutput("No script list yet: " + file + " is created when a script is added.\n");
        return;
    case State::Unreadable:
        m_bKeepOldList = true;
        AppendOutput("The script list " + file + " cannot be read (" + loaded.error + "); it is left as it is.\n");
        return;
    case State::Ok:
        break;
    }
    m_Scripts = loaded.paths;
    if (!loaded.rejectedLines.empty()) {
        m_bKeepOldList = true;
        AppendOutput("The script list " + file + ": line " + LineNumbers(loaded.rejectedLines) +
                     " holds no script path and was skipped; the file is kept as " + kBackupName +
                     " when the list changes.\n");
    }
}

void CDlgRunPythonScript::SaveScriptList()
{
    if (m_bKeepOldList) {
        // Whatever the list file held that we could not use is kept before it is replaced.
        std::error_code ec;
        const std::filesystem::path backup = m_listFile.parent_path() / kBackupName;
        std::filesystem::copy_file(m_listFile, backup, std::filesystem::copy_options::overwrite_existing, ec);
        if (ec) {
            AppendOutput("The script list is not saved: " + m_listFile.string() + " could not be kept as " +
                         backup.string() + " (" + ec.message() + ").\n");
            return;
        }
        m_bKeepOldList = false;
        AppendOutput("The former script list was kept as " + backup.string() + ".\n");
    }
    std::string error;
    if (!script_list::Save(m_listFile, m_Scripts, error))
        AppendOutput("The script list could not be saved to " + m_listFile.string() + " (" + error + ").\n");
}

void CDlgRunPythonScript::LayoutScriptList()
{
    const int selected = m_lbScripts->currentRow();
    m_lbScripts->clear();
    for (const std::string& path : m_Scripts)
        m_lbScripts->addItem(QString::fromStdString(path));
    if (selected >= 0 && selected < m_lbScripts->count())
        m_lbScripts->setCurrentRow(selected);
    // The list grows with its rows (at least five, at most kMaxRows: beyond that it scrolls);
    // the terminal keeps its bottom edge and at least kMinTerminalLines lines of text.
    const int outputBottom = m_editOutput->geometry().bottom();
    const int leastOutput = kMinTerminalLines * m_editOutput->fontMetrics().lineSpacing() + 2 * m_editOutput->frameWidth() + 8;
    const int gaps = 2 + m_stTerminalLabel->height() + 2;
    int rows = std::clamp(static_cast<int>(m_Scripts.size()), kMinRows, kMaxRows);
    QRect list = m_lbScripts->geometry();
    while (rows > 1 && outputBottom - (list.top() + rows * m_nItemHeight + 8 + gaps) + 1 < leastOutput)
        --rows;
    list.setHeight(rows * m_nItemHeight + 8);
    m_lbScripts->setGeometry(list);
    QRect label = m_stTerminalLabel->geometry();
    label.moveTop(list.bottom() + 1 + 2);
    m_stTerminalLabel->setGeometry(label);
    QRect output = m_editOutput->geometry();
    output.setTop(label.bottom() + 1 + 2);
    m_editOutput->setGeometry(output);
    update();
}

void CDlgRunPythonScript::resizeEvent(QResizeEvent* event)
{
    COptionDialog::resizeEvent(event);
    if (m_nWidth < 0 || (width() == m_nWidth && height() == m_nHeight))
        return;
    const int dx = width() - m_nWidth;
    const int dy = height() - m_nHeight;
    m_nWidth = width();
    m_nHeight = height();
    m_lbScripts->resize(m_lbScripts->width() + dx, m_lbScripts->height());
    m_editOutput->resize(m_editOutput->width() + dx, m_editOutput->height() + dy);
    m_editCommand->setGeometry(m_editCommand->geometry().translated(0, dy).adjusted(0, 0, dx, 0));
    m_btnSend->move(m_btnSend->pos() + QPoint(dx, dy));
    m_btnClear->move(m_btnClear->pos() + QPoint(dx, dy));
    update();
}

void CDlgRunPythonScript::OnContextMenu(const QPoint& pos)
{
    if (QListWidgetItem* item = m_lbScripts->itemAt(pos))
        m_lbScripts->setCurrentItem(item);
    const bool selected = m_lbScripts->currentRow() >= 0 && !m_bJobRunning;
    QMenu menu(this);
    const auto add = [&](const char* text, unsigned id, bool enabled) {
        QAction* action = menu.addAction(QString::fromLatin1(text));
        action->setData(id);
        action->setEnabled(enabled);
    };
    add("Run", ID_SCRIPT_RUN, selected);
    add("Add", ID_SCRIPT_ADD, true);
    add("Delete", ID_SCRIPT_DELETE, selected);
    add("Delete All", ID_SCRIPT_DELETE_ALL, !m_Scripts.empty());
    if (QAction* chosen = menu.exec(m_lbScripts->viewport()->mapToGlobal(pos)))
        OnCommand(wnd::MakeWParam(chosen->data().toUInt(), 0), 0);
}

void CDlgRunPythonScript::AddScript()
{
    wnd::FileDialogRequest request;
    request.title = QString::fromLatin1(kAddTitle);
    request.filter = QString::fromLatin1(kScriptFilter);
    request.defaultSuffix = QStringLiteral("py");
    request.parent = this;
    const std::optional<QString> chosen = wnd::ShowFileDialog(request);
    if (!chosen || chosen->isEmpty())
        return;
    std::error_code ec;
    std::filesystem::path path = std::filesystem::absolute(std::filesystem::path(chosen->toStdString()), ec);
    if (ec)
        path = chosen->toStdString();
    if (!script_list::IsPathLine(path.string())) {
        AppendOutput("This path cannot be kept in the script list: " + path.string() + "\n");
        return;
    }
    m_Scripts.push_back(path.string());
    SaveScriptList();
    LayoutScriptList();
    m_lbScripts->setCurrentRow(static_cast<int>(m_Scripts.size()) - 1);
}

void CDlgRunPythonScript::DeleteScript()
{
    const int row = m_lbScripts->currentRow();
    if (row < 0 || row >= static_cast<int>(m_Scripts.size()))
        return;
    m_Scripts.erase(m_Scripts.begin() + row);
    SaveScriptList();
    LayoutScriptList();
}

void CDlgRunPythonScript::DeleteAllScripts()
{
    m_Scripts.clear();
    SaveScriptList();
    LayoutScriptList();
}

// ---- jobs ----

bool CDlgRunPythonScript::ReportNoPython()
{
    if (Host().Available())
        return false;
    ShowMessageA(kNoPython, nullptr, wnd::MB_OK | wnd::MB_ICONERROR);
    return true;
}

void CDlgRunPythonScript::RunScript()
{
    if (m_bJobRunning || ReportNoPython())
        return;
    const int row = m_lbScripts->currentRow();
    if (row < 0 || row >= static_cast<int>(m_Scripts.size()))
        return;
    const std::string path = m_Scripts[static_cast<std::size_t>(row)];
    // The job holds the camera channel from before its first frame.
    if (!Host().RunFile(path)) {
        AppendOutput(path + " could not start: " + Host().RefusalText() + "\n");
        return;
    }
    AppendOutput(path + " is running...\n");
    BeginJob(path + " is finished...\n");
}

void CDlgRunPythonScript::OnBnClickedSend()
{
    if (m_bJobRunning) {
        // While a job runs the button is "Stop".
        Host().RequestStop();
        return;
    }
    if (ReportNoPython())
        return;
    if (!Host().RunLine(m_editCommand->text().toStdString())) {
        AppendOutput("The command could not start: " + Host().RefusalText() + "\n");
        return;
    }
    BeginJob(std::string());
}

void CDlgRunPythonScript::OnBnClickedClear() { m_editOutput->clear(); }

void CDlgRunPythonScript::BeginJob(const std::string& finishLine)
{
    m_bJobRunning = true;
    m_finishLine = finishLine;
    SetJobControls(true);
    m_pOutputTimer->start();
}

void CDlgRunPythonScript::PollJob()
{
    script::PythonHost& host = Host();
    const bool running = host.Running();
    std::string text = host.TakeOutput(running);
    if (!running && !text.empty() && text.back() != '\n')
        text += '\n';
    AppendOutput(text);
    if (running)
        return;
    m_pOutputTimer->stop();
    AppendOutput(m_finishLine);
    m_finishLine.clear();
    m_bJobRunning = false;
    SetJobControls(false);
}

void CDlgRunPythonScript::SetJobControls(bool running)
{
    m_lbScripts->setEnabled(!running);
    m_editCommand->setReadOnly(running);
    m_btnSend->setText(QString::fromLatin1(running ? "Stop" : "Send"));
    if (!running && focusWidget() == nullptr)
        m_editCommand->setFocus();
}

void CDlgRunPythonScript::AppendOutput(const std::string& text)
{
    if (text.empty())
        return;
    QScrollBar* bar = m_editOutput->verticalScrollBar();
    m_editOutput->moveCursor(QTextCursor::End);
    QString chunk = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    // Each appended block starts a paragraph of its own; the final line end is implied.
    if (chunk.endsWith(QLatin1Char('\n')))
        chunk.chop(1);
    if (!m_editOutput->document()->isEmpty())
        m_editOutput->appendPlainText(chunk);
    else
        m_editOutput->setPlainText(chunk);
    bar->setValue(bar->maximum());
}
