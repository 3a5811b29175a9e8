#include "tools/CDlgDownloadTerminal.h"

#include "camera/CameraLink.h"
#include "controls/DlgItem.h"
#include "controls/FileDialog.h"
#include "controls/MessageBox.h"
#include "logging/ConfiguratorLog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <span>

namespace {

struct TypeItem {
    const char* text;
    int code;
};

constexpr TypeItem kGuruItems[] = {
    {"DPM Factory Space", download::kDpmFactory}, {"BPM Factory Space", download::kBpmFactory},
    {"DPM User Space", download::kDpmUser},       {"BPM User Space", download::kBpmUser},
    {"FFC #1", download::kFfc1},                  {"FFC #2", download::kFfc2},
    {"LUT #1", download::kLut1},                  {"LUT #2", download::kLut2},
    {"LUT #3", download::kLut3},                  {"LUT #4", download::kLut4},
    {"AFE", download::kAfe},                      {"RGS", download::kRgs},
};
constexpr TypeItem kPlainItems[] = {
    {"BPM", download::kBpmUser}, {"FFC #1", download::kFfc1}, {"FFC #2", download::kFfc2}, {"LUT #1", download::kLut1},
    {"LUT #2", download::kLut2}, {"LUT #3", download::kLut3}, {"LUT #4", download::kLut4}, {"RGS", download::kRgs},
};

QString FilterOf(int type)
{
    switch (type) {
    case download::kDpmUser:
    case download::kDpmFactory: return "DPM(*.dcm)|*.dcm||";
    case download::kBpmUser:
    case download::kBpmFactory: return "BPM(*.bcm)|*.bcm||";
    case download::kFfc1:
    case download::kFfc2: return "FFC(*.ffc)|*.ffc||";
    case download::kAfe: return "AFE(*.txt)|*.txt||";
    case download::kRgs: return "RGS(*.rgs)|*.rgs||";
    default: return "LUT(*.lut)|*.lut||";
    }
}

}  // namespace

CDlgDownloadTerminal::CDlgDownloadTerminal(QWidget* parent, CCameraLink* link, bool guruMode, bool largeSensor,
                                           platform::IClock* clock)
    : QDialog(parent), m_pLink(link), m_engine(*link, clock), m_largeSensor(largeSensor)
{
    setWindowTitle("Download Terminal");
    setModal(true);
    m_engine.SetTraceSink([](const char* op, const std::string& text) {
        const std::string function = std::string("CDlgDownloadTerminal::") + op;
        CORVEL_LOG(OL_TRACE, 0, L"DlgDownloadTerminal", function.c_str(), L"%s", text.c_str());
    });

    m_type = new QComboBox(this);
    for (const TypeItem& item : guruMode ? std::span<const TypeItem>(kGuruItems) : std::span<const TypeItem>(kPlainItems))
        m_type->addItem(item.text, item.code);
    m_type->setCurrentIndex(0);
    m_pathLabel = new QLabel("File:", this);
    m_path = new QLineEdit(this);
    m_browse = new QPushButton("...", this);
    m_load = new QPushButton("Load File", this);
    m_cancel = new QPushButton("Cancel", this);
    m_kb = new QLineEdit(this);
    m_kb->setReadOnly(true);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_log = new QPlainTextEdit(this);
    m_log->setReadOnly(true);
    m_log->setMinimumSize(420, 220);

    wnd::SetDlgCtrlID(m_type, IDC_FILE_TYPE);
    wnd::SetDlgCtrlID(m_pathLabel, IDC_PATH_LABEL);
    wnd::SetDlgCtrlID(m_path, IDC_FILE_PATH);
    wnd::SetDlgCtrlID(m_browse, IDC_BROWSE);
    wnd::SetDlgCtrlID(m_load, IDC_BT_LOAD);
    wnd::SetDlgCtrlID(m_cancel, IDC_BT_CANCEL);
    wnd::SetDlgCtrlID(m_kb, IDC_KB);
    wnd::SetDlgCtrlID(m_progress, IDC_PROGRESS);
    wnd::SetDlgCtrlID(m_log, IDC_LOG);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("File type:", this), 0, 0);
    grid->addWidget(m_type, 0, 1, 1, 2);
    grid->addWidget(m_pathLabel, 1, 0);
    grid->addWidget(m_path, 1, 1);
    grid->addWidget(m_browse, 1, 2);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(m_kb);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_load);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(progressRow);
    layout->addWidget(m_log, 1);
    layout->addLayout(buttons);

    m_readTimer = new QTimer(this);
    m_writeTimer = new QTimer(this);
    connect(m_readTimer, &QTimer::timeout, this, [this] { OnTimer(); });
    connect(m_writeTimer, &QTimer::timeout, this, [this] { OnTimer(); });
    connect(m_load, &QPushButton::clicked, this, [this] { OnBnClickedBtLoad(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { OnBnClickedCancel(); });
    connect(m_browse, &QPushButton::clicked, this, [this] { OnBnClickedBrowse(); });
    connect(m_type, &QComboBox::currentIndexChanged, this, [this] { OnCbnSelchangeFileType(); });
    connect(m_path, &QLineEdit::textChanged, this, [this] { UpdateControls(); });
    m_load->setDefault(true);
    UpdateControls();
}

CDlgDownloadTerminal::~CDlgDownloadTerminal()
{
    // The dialog goes while a run goes (the program ends on a signal): the run is stopped here,
    // the half read back to keep written back first. A step the camera does not take is tried
    // once more, then given up; the state the sector is left in goes to the trace.
    m_engine.Cancel();
    while (m_engine.Running()) {
        const bool retrying = m_engine.Retrying();
        m_engine.Tick();
        if (retrying && m_engine.Retrying())
            m_engine.Cancel();
    }
    if (m_loading)
        m_pLink->m_ChannelOwner.Release(ChannelUser::Upload);
    if (m_loading && m_loadingListener)
        m_loadingListener(false);
}

int CDlgDownloadTerminal::SelectedType() const
{
    return m_type->currentIndex() < 0 ? -1 : m_type->currentData().toInt();
}

void CDlgDownloadTerminal::UpdateControls()
{
    const bool running = m_engine.Running();
    const bool selected = m_type->currentIndex() >= 0;
    const bool hasPath = !m_path->text().isEmpty();
    m_type->setEnabled(!running);
    m_pathLabel->setEnabled(selected);
    m_path->setEnabled(selected && !running);
    m_browse->setEnabled(selected && !running);
    m_load->setEnabled(selected && hasPath && !running);
    // A stop that writes back the kept half runs to its end, unless the camera does not take it.
    m_cancel->setEnabled(!m_engine.Stopping() || m_engine.Retrying());
    m_kb->setEnabled(selected && hasPath && running);
    m_progress->setEnabled(selected && hasPath && running);
}

void CDlgDownloadTerminal::SetLoading(bool loading)
{
    if (loading == m_loading)
        return;
    m_loading = loading;
    // No other user reaches the camera between the flash steps.
    if (loading)
        m_pLink->m_ChannelOwner.Acquire(ChannelUser::Upload);
    else
        m_pLink->m_ChannelOwner.Release(ChannelUser::Upload);
    if (m_loadingListener)
        m_loadingListener(loading);
}

void CDlgDownloadTerminal::ShowEngine()
{
    const QString log = QString::fromStdString(m_engine.Log());
    if (m_log->toPlainText() != log) {
        m_log->setPlainText(log);
        m_log->verticalScrollBar()->setValue(m_log->verticalScrollBar()->maximum());
    }
    m_kb->setText(QString::fromStdString(m_engine.KbText()));
    m_progress->setRange(0, std::max(1, m_engine.ProgressMax()));
    m_progress->setValue(std::min(m_engine.ProgressPos(), std::max(1, m_engine.ProgressMax())));

    const int id = m_paused ? 0 : m_engine.TimerId();
    QTimer* wanted = id == download::kReadTimerId ? m_readTimer : id == download::kWriteTimerId ? m_writeTimer : nullptr;
    for (QTimer* timer : {m_readTimer, m_writeTimer}) {
        if (timer != wanted)
            timer->stop();
        else if (!timer->isActive() || timer->interval() != m_engine.TimerPeriodMs())
            timer->start(m_engine.TimerPeriodMs());
    }
    SetLoading(m_engine.Running());
    UpdateControls();
    if (m_closeWhenIdle && !m_engine.Running())
        CloseAfterStop();
}

void CDlgDownloadTerminal::OnBnClickedBtLoad()
{
    if (m_engine.Running())
        return;
    const int type = SelectedType();
    const std::string path = m_path->text().toStdString();
    const download::StartResult result = m_engine.Start(type, path, m_largeSensor);
    switch (result) {
    case download::StartResult::TypeUndefined:
        wnd::ShowMessageBox("FileType undefined", QString(), wnd::MB_OK, this);
        return;
    case download::StartResult::BadExtension:
        wnd::ShowMessageBox("File extension incorrected", QString(), wnd::MB_OK, this);
        return;
    case download::StartResult::CannotOpen:
        wnd::ShowMessageBox(QString("File <%1> cannot be open").arg(QString::fromStdString(path)), QString(), wnd::MB_OK, this);
        break;
    case download::StartResult::TooLarge:
        wnd::ShowMessageBox(QString("File <%1> is too large to upload (more than %2 MB)")
                                .arg(QString::fromStdString(path))
                                .arg(download::kMaxFileBytes / (1024 * 1024)),
                            QString(), wnd::MB_OK, this);
        break;
    case download::StartResult::DoesNotExist:
        wnd::ShowMessageBox(QString("File <%1> does not exist").arg(QString::fromStdString(path)), QString(), wnd::MB_OK, this);
        break;
    default:
        break;
    }
    ShowEngine();
}

void CDlgDownloadTerminal::OnTimer()
{
    if (m_paused)
        return;
    m_engine.Tick();
    ShowEngine();
    if (m_engine.TakeResetNote())
        wnd::ShowMessageBox(download::UploadEngine::kResetNote, QString(), wnd::MB_OK, this);
}

void CDlgDownloadTerminal::OnBnClickedCancel()
{
    if (m_engine.Running()) {
        // A stop that waits on a step the camera does not take is given up by a second Cancel;
        // that loses what the step holds: asked first.
        if (m_engine.Stopping() && m_engine.Retrying() && !AskToStop("Give up?"))
            return;
        m_engine.Cancel();
        ShowEngine();
        return;
    }
    // A double click stops and closes at once: the state the run left the sector in is said.
    CloseAfterStop(true);
}

void CDlgDownloadTerminal::OnBnClickedBrowse()
{
    const int type = SelectedType();
    if (type < 0 || type >= download::kFileTypeCount) {
        wnd::ShowMessageBox("FileType undefined", QString(), wnd::MB_OK, this);
        return;
    }
    wnd::FileDialogRequest request;
    request.filter = FilterOf(type);
    request.initialName = m_path->text();
    request.parent = this;
    if (const std::optional<QString> file = wnd::ShowFileDialog(request); file && !file->isEmpty())
        m_path->setText(*file);
    m_progress->setValue(0);
    UpdateControls();
}

void CDlgDownloadTerminal::OnCbnSelchangeFileType()
{
    m_progress->setValue(0);
    const std::string path = m_path->text().toStdString();
    if (!path.empty() && !download::PathFitsType(path, SelectedType())) {
        m_path->clear();
        m_kb->clear();
    }
    UpdateControls();
}

bool CDlgDownloadTerminal::MayClose()
{
    if (!m_engine.Running())
        return true;
    if (m_engine.Stopping() && !m_engine.Retrying()) {
        m_closeWhenIdle = true;
        return false;
    }
    if (!AskToStop("Stop it and close the Download Terminal?"))
        return false;
    m_engine.Cancel();
    // The erase the camera does not answer: the stop would wait on it; "Yes" gives it up.
    if (m_engine.Retrying())
        m_engine.Cancel();
    if (m_engine.Running()) {
        // The kept half is being written back; the dialog closes when it is done.
        m_closeWhenIdle = true;
        ShowEngine();
        return false;
    }
    // Closed here, once: a close that was waiting for the stop would close (and tell) as well.
    m_closeWhenIdle = false;
    ShowEngine();
    CloseAfterStop();
    return false;
}

bool CDlgDownloadTerminal::AskToStop(const char* question)
{
    // The run stands still while the operator reads the question.
    m_paused = true;
    ShowEngine();
    const std::string text = "An upload is running. " + m_engine.StopConsequence() + "\n\n" + question;
    const int answer = wnd::ShowMessageBox(QString::fromStdString(text), QString(), wnd::MB_YESNO | wnd::MB_ICONQUESTION, this);
    m_paused = false;
    ShowEngine();
    return answer == wnd::IDYES;
}

void CDlgDownloadTerminal::CloseAfterStop(bool accepted)
{
    m_closeWhenIdle = false;
    // The log goes with the dialog: a sector that no longer holds what it did, or a camera a
    // register file may have left in supervisor mode, is said in a box.
    if (m_engine.SectorTouched() && !m_engine.SectorState().empty())
        wnd::ShowMessageBox(QString::fromStdString(m_engine.SectorState()), QString(), wnd::MB_OK | wnd::MB_ICONWARNING,
                            this);
    else if (const std::string left = m_engine.ModesLeftOpenText(); !left.empty())
        wnd::ShowMessageBox(QString::fromStdString(left), QString(), wnd::MB_OK | wnd::MB_ICONWARNING, this);
    if (accepted)
        QDialog::accept();
    else
        QDialog::reject();
}

void CDlgDownloadTerminal::reject()
{
    if (MayClose())
        CloseAfterStop(false);
}
