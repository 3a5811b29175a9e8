#include "CCorvel_5Dlg.h"

#include "CAboutDlg.h"
#include "CWaitGUIThread.h"
#include "ExternalLauncher.h"
#include "controls/LastConfig.h"
#include "MapLoadReporter.h"

#include "camera/CFlagGuard.h"
#include "camera/CPerfCounter.h"
#include "camera/CXmlNodeValue.h"
#include "camera/MapNumbers.h"
#include "camera/RegisterLink.h"
#include "camera/RegisterProtocol.h"
#include "catalogues/CatalogueBuilders.h"
#include "panels/CDlgCameraInfo.h"
#include "panels/CDlgRunPythonScript.h"
#include "panels/CDlgTempControl.h"
#include "panels/PanelFactory.h"
#include "catalogues/ConfigurationTable.h"
#include "catalogues/RegisterMapLoader.h"
#include "controls/CDrawButton.h"
#include "controls/DlgItem.h"
#include "controls/FileDialog.h"
#include "controls/IconResource.h"
#include "controls/MessageBox.h"
#include "controls/WindowIds.h"
#include "logging/ConfiguratorLog.h"
#include "platform/Paths.h"
#include "tools/CDlgDPM.h"
#include "tools/CDlgDownloadTerminal.h"
#include "tools/CTerminal.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QKeyEvent>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>

namespace {

constexpr wchar_t kSource[] = L"Corvel_5Dlg";
constexpr char kSetDefault[] = "CCorvel_5Dlg::SetDefault";
constexpr char kSelectPort[] = "CCorvel_5Dlg::SelectPort";
constexpr const char* kDashes = COptionDialog::kNoReading;
constexpr char kSizeDashes[] = "----x----";
constexpr int kLensMountActive = 3;
/// The configuration whose camera reports a cooler temperature.
constexpr char kFactoryKey[] = "Factory";
constexpr char kWorkspaceFilter[] = "Registry Files(*.rgs)|*.rgs||";
constexpr char kHelpFile[] = "Corvel.chm";

// Geometry of the client area while there is no camera-information panel above the buttons.
constexpr int kColumnLeft = 4;
constexpr int kColumnWidth = 232;
constexpr int kButtonHeight = 40;

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

/// Reads an integer parameter; false when the read failed (the value is left as it was).
bool ReadInt(CCameraLink& link, const char* name, std::int64_t& value)
{
    std::int64_t read = 0;
    if (link.GetParamInt(name, &read) != 0)
        return false;
    value = read;
    return true;
}

/// The program's file name in a stored path: what follows the last "/".
std::string ProgramFileName(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

}  // namespace

CCorvel_5Dlg::CCorvel_5Dlg(QWidget* parent, ISettings* settings)
    : QWidget(parent, Qt::Window),
      m_hIcon(wnd::LoadIconResource(wnd::IDI_MAIN)),
      m_Link(settings),
      m_mapFolder(platform::ExecutableFolder())
{
    m_Link.SetWaitIndicator(&m_WaitIndicator);
    // The holder may change on a script's worker thread: the windows follow on this one.
    m_Link.m_ChannelOwner.SetListener([this](ChannelUser holder) {
        // Whether a script run sent anything is told by the bytes written while it held the
        // channel, counted here, on the thread that took or gave it back.
        const std::uint64_t written = m_Link.BytesWritten();
        bool scriptWrote = false;
        if (holder == ChannelUser::Script)
            m_nBytesAtScriptStart = written;
        else if (m_scriptHolder.load() == ChannelUser::Script)
            scriptWrote = written != m_nBytesAtScriptStart.load();
        m_scriptHolder = holder;
        QMetaObject::invokeMethod(this, [this, scriptWrote] { OnChannelOwnerChanged(scriptWrote); },
                                  Qt::QueuedConnection);
    });
    setWindowTitle(QStringLiteral("Corvel"));
    wnd::SetDlgCtrlID(this, IDD);

    m_pMenuBar = new QMenuBar(this);
    m_pClient = new QWidget(this);

    for (int i = 0; i < kPanelSlots; ++i) {
        auto* button = new CDrawButton(m_pClient, kPanelSlotSpecs[i].buttonId);
        // The button draws its text as it is: "&&" stands for one "&".
        button->setText(QString::fromLatin1(kPanelSlotSpecs[i].title).replace("&&", "&"));
        button->hide();
        m_Slots[i].m_pButton = button;
    }

    // Status row: the frame with the camera label inside, and the workspace button.
    m_pStatusFrame = new QFrame(m_pClient);
    wnd::SetDlgCtrlID(m_pStatusFrame, IDC_STATUS_FRAME);
    m_pStatusFrame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pCameraLabel = new QLabel(QString::fromLatin1(kNotDetectedText), m_pStatusFrame);
    wnd::SetDlgCtrlID(m_pCameraLabel, IDC_CAMERA_LABEL);
    m_pCameraLabel->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    m_pStatusButton = new QPushButton(m_pClient);
    wnd::SetDlgCtrlID(m_pStatusButton, IDC_STATUS_BUTTON);
    m_pStatusButton->setToolTip(QStringLiteral("Load from WorkSpace"));

    connect(m_pStatusButton, &QPushButton::clicked, this, [this] { OnCommand(IDC_STATUS_BUTTON, 0); });

    m_pTimers = std::make_unique<wnd::CWndTimers>(this, [this](unsigned id) { OnTimer(id); });
    SetupMenu();
    RecalcLayout();
}

CCorvel_5Dlg::~CCorvel_5Dlg()
{
    m_pTimers->KillAll();
    m_Link.m_ChannelOwner.SetListener(nullptr);
    OnDestroy();
    lastconfig::Write(lastconfig::kShowDebugInfo, m_bShowDebugInfo);
    lastconfig::Write(lastconfig::kShowPythonPanel, m_bShowPythonPanel);
    // The link outlives the terminal; it must not reach the window while it closes.
    m_Link.SetMainWindow(nullptr);
    delete m_pWarningDlg;
    m_pWarningDlg = nullptr;
    m_pTerminal.reset();
    m_Link.Close();
}

int CCorvel_5Dlg::OnInitDialog(IPortSelector* selector)
{
    m_bShowPythonPanel = lastconfig::Read(lastconfig::kShowPythonPanel);
    m_bShowDebugInfo = lastconfig::Read(lastconfig::kShowDebugInfo);
    m_nLogging = lastconfig::Read(lastconfig::kLogging);
    m_bDebugMode = lastconfig::Read(lastconfig::kDebugMode);
    m_bNoAnimation = lastconfig::Read(lastconfig::kAnimation) == 0;
    SetupMenu();
    SetDefault();
    m_bInitialized = true;
    setWindowIcon(m_hIcon);
    m_pSelector = selector;
    return selector ? SelectPort(selector) : 0;
}

int CCorvel_5Dlg::DoModal()
{
    // Not quit(): it asks every window to close first and gives up when one refuses, as the
    // terminal does, leaving the process running with its windows gone.
    const QMetaObject::Connection ending =
        connect(this, &CCorvel_5Dlg::Closed, qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    const int result = QApplication::exec();
    disconnect(ending);
    return result;
}

// ---- configuration rebuild ----

void CCorvel_5Dlg::SetDefault()
{
    CFlagGuard guard(m_nInSetDefault);
    if (guard.AlreadyRunning())
        return;
    if (m_onRebuildStarted)
        m_onRebuildStarted();
    CWaitGUIThread wait(QStringLiteral("Initializing configuration. Wait please"));
    m_pStatusButton->setIconSize(QSize(24, 24));
    CPerfCounter perf(kSetDefault, __LINE__);

    const int row = ConfigurationRowIndex(m_Link.m_nConfigIndex);
    CMapLoadReporter reporter;
    m_pXmlDoc = LoadRegisterMapForRow(row, m_mapFolder, &reporter);
    m_bUnconfigured = !m_pXmlDoc;
    if (!m_pXmlDoc) {
        // Without its register map the camera cannot be read: nothing polls, no value shows,
        // and no panel, command or script reaches this camera through the map before it.
        m_Link.ForgetConfiguration();
        m_pTimers->KillAll();
        for (int i = 0; i < kPanelSlots; ++i) {
            m_Slots[i].Close();
            m_Menu.Remove(kPanelSlotSpecs[i].viewId);
        }
        m_nPanelRow = -1;
        m_bSelectAll = false;
        m_bViewSave = false;
        // Nothing of the camera before stays on show: its rate (this camera's cannot be read)
        // and its power-protection warning, which no poll would close.
        m_nBaudIndex = -1;
        CheckBaudItem(m_nBaudIndex);
        if (m_pWarningDlg)
            m_pWarningDlg->hide();
        RecalcLayout();
        ClearLiveValues();
        SetCameraLabel();
        UpdateConnectionIcon();
        return;
    }

    m_Link.SetMainWindow(this);
    if (m_pTerminal) {
        m_Link.SetCheckErrorDisabled(m_pTerminal->m_nDisableErrorCheck == 1);
    } else {
        m_pTerminal = std::make_unique<CTerminal>(this, &m_Link);
        m_pTerminal->Create(IDD_TERMINAL, nullptr);
        m_pTerminal->move(0, 0);
    }
    m_pTerminal->setVisible(m_bShowTerminal);

    if (row != m_nPanelRow) {
        for (CPanelSlot& slot : m_Slots)
            if (slot.m_pPanel)
                slot.Close();
        m_nPanelRow = row;
    }

    for (int i = 0; i < kPanelSlots; ++i) {
        m_Menu.Remove(kPanelSlotSpecs[i].viewId);
        if (!m_Slots[i].m_pPanel)
            CreateSlotPanel(i, row);
    }

    RunCatalogueBuilder(row);

    // The lens panel serves only the lens mount that reports 3.
    if (m_Slots[lastconfig::kSlotLens].m_pPanel) {
        std::int64_t mount = 0;
        ReadInt(m_Link, "CanonActiveMount", mount);
        if (mount != kLensMountActive)
            m_Slots[lastconfig::kSlotLens].Close();
    }

    // The writes a panel's refresh makes (a value held within its limits, the lens initialised)
    // reach a camera that answers, at the first rebuild as at every later one.
    m_Link.GoOnlineIfAlive();
    for (int i = 0; i < kPanelSlots; ++i) {
        CPanelSlot& slot = m_Slots[i];
        if (!slot.m_pPanel)
            continue;
        slot.m_pszKey = lastconfig::kPanelKeys[i];
        slot.m_pButton->m_hIcon = wnd::LoadIconResource(kPanelSlotSpecs[i].iconId);
        slot.m_pButton->m_strRight.clear();
        slot.m_pButton->repaint();
        slot.Attach(m_pXmlDoc);
        slot.m_pPanel->SetShowDebugInfo(m_bShowDebugInfo != 0);
        slot.m_pPanel->SetDebugMode(m_bDebugMode != 0);
        slot.m_pPanel->SetActivationList(&m_ActivationList, i);
        if (m_Link.m_nConfigIndex != -1) {
            wait.SetText(QStringLiteral("Initializing ") + QString::fromLatin1(kPanelSlotSpecs[i].title) +
                         QStringLiteral(" Panel") + QStringLiteral(". Wait please."));
            slot.m_pPanel->RefreshFromStorage();
        }
    }

    // The first rebuild creates the camera-information dialog (this rebuild's catalogue found
    // none to register); every later one refreshes it from the camera.
    if (m_pCameraInfo) {
        wait.SetText(QStringLiteral("Initializing Camera Info. Wait please"));
        m_pCameraInfo->LoadIcons();
        bool ping = false;
        m_Link.GetParamBool("Ping", &ping);
        if (m_bConnected)
            m_Link.GoOnline();
        m_bConnected = true;
        UpdateExposure();
        UpdateTemperature();
        UpdateFrameTime();
        // A refused read is an answer: only a camera that stopped answering is lost.
        if (!CameraAnswers())
            LoseCamera();
        UpdateConnectionIcon();
    } else {
        m_pCameraInfo = new CDlgCameraInfo(m_pClient);
        m_pCameraInfo->move(0, 0);
        m_pCameraInfo->show();
        ShowCameraInfo();
    }

    if (m_pWarningDlg)
        m_pWarningDlg->hide();
    else
        m_pWarningDlg = new CWarningDialog(this);

    m_bSelectAll = true;
    m_bViewSave = m_bConnected;
    for (int i = kPanelSlots - 1; i >= 0; --i) {
        CPanelSlot& slot = m_Slots[i];
        const bool attached = slot.m_pPanel && slot.m_pszKey;
        if (m_bConnected)
            slot.m_bView = attached && lastconfig::Read(lastconfig::PanelViewKey(i)) != 0;
        else
            slot.m_bView = attached && i == kPanelSlots - 1;
        if (!attached) {
            slot.m_pButton->hide();
            continue;
        }
        // A panel kept over the rebuild (same configuration row) but out of the view now, for
        // a camera that does not answer, shows nothing of the camera before.
        if (!slot.m_bView)
            CloseOpenPanel(slot);
        slot.m_pButton->show();
        m_Menu.InsertViewItem(kPanelSlotSpecs[i].viewId, QString::fromLatin1(kPanelSlotSpecs[i].title));
        m_Menu.Check(kPanelSlotSpecs[i].viewId, slot.m_bView);
        if (!slot.m_bView)
            m_bSelectAll = false;
    }

    RecalcLayout();
    if (m_bConnected) {
        std::int64_t baud = -1;
        ReadInt(m_Link, "BaudRate", baud);
        m_nBaudIndex = static_cast<int>(baud);
        // Only the five rates have menu items; another value checks nothing.
        CheckBaudItem(m_nBaudIndex);
        StartTimers();
    }
    SetCameraLabel();
    m_Link.GoOnlineIfAlive();
    CORVEL_LOG(OL_TRACE, 1, kSource, kSetDefault, L"End SetDefault.");
}

void CCorvel_5Dlg::CreateSlotPanel(int slot, int row)
{
    const ConfigurationRow& config = ConfigurationRowFor(row);
    int templateId = kPanelSlotSpecs[slot].templateId;
    if (slot == lastconfig::kSlotGainOffset && config.gainOffsetTemplate != 0)
        templateId = config.gainOffsetTemplate;
    if (slot == lastconfig::kSlotImage && config.imageTemplate != 0)
        templateId = config.imageTemplate;
    if (config.panels == PanelVariant::NoAecAgc && slot == lastconfig::kSlotAecAgc)
        return;
    if (slot == lastconfig::kSlotScripts && m_bShowPythonPanel == 0)
        return;
    // A slot without a panel class of its own holds the common panel of its template.
    std::unique_ptr<COptionDialog> panel = CreateFeaturePanel(slot, row, templateId, this, &m_Link);
    if (!panel)
        panel = std::make_unique<COptionDialog>(templateId, this, &m_Link);
    panel->Create(templateId, nullptr);
    panel->setWindowTitle(QString::fromLatin1(kPanelSlotSpecs[slot].title).replace("&&", "&"));
    m_Slots[slot].m_pPanel = std::move(panel);
}

void CCorvel_5Dlg::RunCatalogueBuilder(int row)
{
    // A row without a builder leaves the store as it is.
    BuildCatalogueForRow(row, m_Link, m_pXmlDoc, m_bDebugMode != 0);
}

OrvParamListener* CCorvel_5Dlg::CameraInfoListener()
{
    return m_pCameraInfo;
}

OrvParamListener* CCorvel_5Dlg::PanelListener(int slot)
{
    return slot >= 0 && slot < kPanelSlots ? m_Slots[slot].m_pPanel.get() : nullptr;
}

COptionDialog* CCorvel_5Dlg::GetPanel(int slot) const
{
    return slot >= 0 && slot < kPanelSlots ? m_Slots[slot].m_pPanel.get() : nullptr;
}

void CCorvel_5Dlg::RecalcLayout()
{
    setWindowTitle(QString::fromStdString(WindowTitleFor(m_Link.m_nConfigIndex)));
    // The camera-information dialog at the top sets the width; the buttons and the status row
    // line up with its frame below it.
    int columnLeft = kColumnLeft;
    int columnWidth = kColumnWidth;
    int width = kColumnLeft * 2 + kColumnWidth;
    int top = 0;
    if (m_pCameraInfo) {
        m_pCameraInfo->show();
        if (const QWidget* frame = wnd::GetDlgItem(m_pCameraInfo, CDlgCameraInfo::IDC_FRAME)) {
            columnLeft = frame->x();
            columnWidth = frame->width();
        }
        width = m_pCameraInfo->width();
        top = m_pCameraInfo->geometry().bottom() + 1;
    }
    const int menuHeight = m_pMenuBar->sizeHint().height();
    m_pMenuBar->setGeometry(0, 0, width, menuHeight);
    for (CPanelSlot& slot : m_Slots) {
        if (!slot.m_pPanel || !slot.m_pszKey) {
            slot.m_pButton->hide();
            continue;
        }
        slot.m_pButton->setVisible(slot.m_bView);
        if (!slot.m_bView)
            continue;
        slot.m_pButton->setGeometry(columnLeft, top, columnWidth, kButtonHeight);
        top += kButtonHeight + 1;
    }
    // The status row sets the client area's height.
    m_pClient->setGeometry(0, menuHeight, width, m_pClient->height());
    LayoutStatusRow(columnLeft, top, columnWidth);
}

void CCorvel_5Dlg::LayoutStatusRow(int x, int y, int width)
{
    constexpr int g = 4;
    constexpr int kSide = 24;
    m_pStatusButton->setGeometry(x + width - 25, y + g, kSide, kSide);
    const int frameWidth = (x + width - 25 - 4) - x;
    m_pStatusFrame->setGeometry(x, y + g + 2, frameWidth, kSide);
    // The window keeps its width; its client area ends g below the frame.
    const int clientHeight = y + g + 2 + kSide + g;
    m_pClient->resize(m_pClient->width(), clientHeight);
    const int menuHeight = m_pClient->y();
    setFixedSize(std::max(m_pClient->width(), width + 2 * x), menuHeight + clientHeight);
    // The label inside the frame, 4 in from each side, centred vertically at its own height.
    const int labelHeight = std::min(m_pCameraLabel->sizeHint().height(), kSide);
    m_pCameraLabel->setGeometry(4, (kSide - labelHeight) / 2, frameWidth - 8, labelHeight);
    UpdateConnectionIcon();
    update();
}

void CCorvel_5Dlg::BringPanelsToTop()
{
    for (int index : m_ActivationList)
        if (COptionDialog* panel = GetPanel(index); panel && m_Slots[index].m_pszKey)
            panel->raise();
    raise();
}

void CCorvel_5Dlg::OnDestroy()
{
    if (m_bDestroyed)
        return;
    m_bDestroyed = true;
    m_pTimers->KillAll();
    for (CPanelSlot& slot : m_Slots)
        slot.Close();
}

void CCorvel_5Dlg::OnAbout()
{
    CAboutDlg about;
    // The camera's fields only for a camera that was identified and answers now, read with its
    // own register map: a lost camera would only stall the box with reads that get no answer.
    if (!m_Link.m_strModelName.empty() && m_bConnected && !m_bUnconfigured)
        about.m_pLink = &m_Link;
    about.exec();
}

// ---- port selection ----

int CCorvel_5Dlg::SelectPort(IPortSelector* selector)
{
    const unsigned ids[] = {TIMER_EXPOSURE, TIMER_FRAME_TIME, TIMER_TEMPERATURE};
    int periods[3] = {};
    for (int i = 0; i < 3; ++i) {
        periods[i] = m_pTimers->Period(ids[i]);
        m_pTimers->KillTimer(ids[i]);
    }

    PortChoice choice;
    for (;;) {
        choice = PortChoice{};
        if (!selector || !selector->Run(choice)) {
            for (int i = 0; i < 3; ++i)
                if (periods[i] > 0)
                    m_pTimers->SetTimer(ids[i], periods[i]);
            return -1;
        }
        // An empty selection shows the selector again and keeps the working connection.
        if (!choice.name.empty())
            break;
    }

    m_Link.Close();
    m_Link.SetIdentified(true);
    if (m_pTerminal) {
        m_Link.SetCheckErrorDisabled(m_pTerminal->m_nDisableErrorCheck == 1);
        m_pTerminal->UpdateData(false);
        m_pTerminal->OnBnClickedBtClear();
    }
    m_Link.Init(choice.name);
    if (choice.isLibrary)
        m_Link.CheckPort(static_cast<std::uint32_t>(choice.portIndex));
    else
        m_Link.SetPortIndex(choice.portIndex);
    m_Link.ReadCameraInfo();
    SetCameraLabel();
    m_bConnected = m_Link.m_bLinkAlive != 0;

    SetupMenu();
    // A port without a camera keeps the last camera's GUI settings as they are: only a boot
    // space the camera reported selects the settings to load.
    if (ReadBootSpace())
        m_Link.LoadGuiSettings(m_nBootFrom);

    CORVEL_LOG(OL_TRACE, 0, kSource, kSelectPort,
               L"========================camera <%hs> selected==============================",
               m_Link.m_strModelName.c_str());
    CORVEL_LOG(OL_ERROR, 1, kSource, kSelectPort, L">>>>>>>>>>>>>Before SetDefault>>>>>>>>>>>>>>>>>>>");
    SetDefault();
    CORVEL_LOG(OL_ERROR, 1, kSource, kSelectPort, L"<<<<<<<<<<<<<After SetDefault<<<<<<<<<<<<<<<<<<<<");
    CORVEL_LOG(OL_TRACE, 0, kSource, kSelectPort, L"=============dialogs created=============");
    // Without a camera the reconnect timer keeps looking for one.
    if (!m_bConnected)
        m_pTimers->SetTimer(TIMER_FRAME_TIME, PollingPeriod());
    UpdateMenuState();
    UpdateViewChecks();
    UpdateConnectionIcon();
    return 0;
}

bool CCorvel_5Dlg::ReadBootSpace()
{
    std::int64_t bootFrom = 0;
    const bool read = ReadInt(m_Link, "BootFrom", bootFrom);
    m_nBootFrom = read ? static_cast<int>(bootFrom) : 0;
    return read;
}

// ---- polling ----

int CCorvel_5Dlg::PollingPeriod() const
{
    // A period of 0 or less (or a few ms) would poll back to back and keep the camera busy.
    return std::max(m_pTerminal ? m_pTerminal->m_nPollingTime : kDefaultPollingMs, kLeastPollingMs);
}

void CCorvel_5Dlg::StartTimers()
{
    const int period = PollingPeriod();
    m_pTimers->SetTimer(TIMER_FRAME_TIME, period);
    m_pTimers->SetTimer(TIMER_EXPOSURE, period);
    m_pTimers->SetTimer(TIMER_TEMPERATURE, period);
}

void CCorvel_5Dlg::ResetPollingTimers()
{
    // A new period for the polls that run; a poll that is stopped (no camera yet, or a camera
    // without its register map) stays stopped.
    const int period = PollingPeriod();
    for (unsigned id : {TIMER_FRAME_TIME, TIMER_EXPOSURE, TIMER_TEMPERATURE})
        if (m_pTimers->IsRunning(id))
            m_pTimers->SetTimer(id, period);
}

template <typename Poll>
void CCorvel_5Dlg::WithPollingEcho(Poll poll)
{
    m_Link.SetEchoToTerminal(!m_pTerminal || m_pTerminal->m_nDisablePolling == 0);
    poll();
    m_Link.SetEchoToTerminal(true);
}

void CCorvel_5Dlg::OnTimer(unsigned id)
{
    // A script run or a flash upload has the camera to itself.
    if (!m_Link.m_ChannelOwner.IsFree())
        return;
    // Nothing polls in the middle of a guarded operation (a rebuild included).
    if (CWaitGUIThread::IsWaiting())
        return;
    {
        switch (id) {
        case TIMER_TEMPERATURE:
            if (m_bConnected)
                WithPollingEcho([this] {
                    UpdateTemperature();
                    if (CameraAnswers())
                        UpdateProtectionWarning();
                    else
                        LoseCamera();
                });
            break;
        case TIMER_EXPOSURE:
            if (m_bConnected)
                WithPollingEcho([this] {
                    // A read that got no answer gets one more chance.
                    if (!UpdateExposure() && !CameraAnswers())
                        UpdateExposure();
                    if (!CameraAnswers())
                        LoseCamera();
                });
            break;
        case TIMER_FRAME_TIME:
            if (!m_bConnected) {
                // Cleared when there is something to clear: its log record must not repeat at
                // every retry while the camera is away.
                if (m_pTerminal && m_pTerminal->HasOutput())
                    m_pTerminal->OnBnClickedBtClear();
                // One short step per tick (reopen a lost port, one rate, one "Ping"), so the
                // window stays responsive while the camera is away; identification only once
                // it answers.
                if (m_Link.ProbeNextRate()) {
                    m_Link.ReadCameraInfo();
                    if (m_Link.m_bLinkAlive) {
                        m_bConnected = true;
                        // The camera that answers may be another than the one lost, and
                        // nothing was loaded into it here.
                        ReadBootSpace();
                        SetDefault();
                        UpdateMenuState();
                        CheckLoadSource(-1);  // re-stacks the panels too
                        SetCameraLabel();
                    }
                }
            }
            if (m_bConnected)
                WithPollingEcho([this] {
                    UpdateFrameTime();
                    if (!CameraAnswers()) {
                        LoseCamera();
                        return;
                    }
                    for (CPanelSlot& slot : m_Slots)
                        if (slot.m_bView && slot.m_pPanel)
                            slot.m_pPanel->RefreshLiveValues();
                });
            break;
        default:
            break;
        }
    }
    UpdateConnectionIcon();
}

void CCorvel_5Dlg::UpdateProtectionWarning()
{
    std::int64_t esd = 0;
    const bool active = ReadInt(m_Link, "ESDEventProtection", esd) && esd != 0;
    if (!m_pWarningDlg)
        return;
    if (!active) {
        if (m_pWarningDlg->isVisible())
            m_pWarningDlg->hide();
    } else if (!m_pWarningDlg->isVisible()) {
        m_pWarningDlg->CenterAndShow();
    }
}

bool CCorvel_5Dlg::UpdateTemperature()
{
    std::int64_t raw = 0;
    m_CameraInfo.temperature = kDashes;
    m_CameraInfo.tecTemperature = 0.0f;
    bool read = ReadInt(m_Link, "Temperature", raw);
    double celsius = 0.0;
    if (read) {
        if (raw > 511)
            raw -= 1024;
        celsius = static_cast<double>(raw) * 0.25;
        m_CameraInfo.temperature = Format("%.2f", celsius);
    }
    // The Kelmir camera also reports its cooler; the gain/offset panel knows how to convert it.
    std::int64_t tecRaw = 0;
    bool tecRead = false;
    if (ConfigurationRowFor(m_Link.m_nConfigIndex).panels == PanelVariant::Kelmir && ReadInt(m_Link, "TEC_Temperature", tecRaw)) {
        if (const COptionDialog* panel = m_Slots[lastconfig::kSlotGainOffset].m_pPanel.get()) {
            if (const std::optional<float> tec = panel->TecRawToCelsius(tecRaw)) {
                m_CameraInfo.tecTemperature = *tec;
                m_CameraInfo.temperature = Format("%.1f", celsius) + " / " + Format("%.1f", *tec);
                read = true;
                tecRead = true;
            }
        }
    }
    // The sensor's own temperature is not read: its text stays dashed.
    if (auto* panel = dynamic_cast<CDlgTempControl*>(m_Slots[lastconfig::kSlotTemperature].m_pPanel.get()))
        panel->SetTemperatures(QString::fromStdString(m_CameraInfo.temperature), QString::fromLatin1(kDashes));
    ShowCameraInfo();
    // The lamp follows the cooler where the camera reports one, else the camera itself; a
    // failed read leaves it as it was.
    if (m_pCameraInfo && read)
        m_pCameraInfo->SetTemperature(tecRead ? m_CameraInfo.tecTemperature : static_cast<float>(celsius));
    return read;
}

bool CCorvel_5Dlg::UpdateExposure()
{
    std::int64_t value = 0;
    m_CameraInfo.exposure = kDashes;
    const bool read = ReadInt(m_Link, "Exposure", value);
    if (read)
        m_CameraInfo.exposure = Format("%.3f", static_cast<double>(value) / 1000.0);
    ShowCameraInfo();
    return read;
}

bool CCorvel_5Dlg::UpdateFrameTime()
{
    std::int64_t value = 0;
    if (!ReadInt(m_Link, "FrameTime", value)) {
        m_CameraInfo.frameRate = kDashes;
        m_CameraInfo.frameTime = kDashes;
        m_CameraInfo.imageSize = kSizeDashes;
        ShowCameraInfo();
        return false;
    }
    m_CameraInfo.frameRate = Format("%.3f", value == 0 ? 0.0 : 1000000.0 / static_cast<double>(value));
    m_CameraInfo.frameTime = Format("%.3f", static_cast<double>(value) / 1000.0);
    std::int64_t width = 0;
    std::int64_t height = 0;
    const bool sizeRead = ReadInt(m_Link, "ImageWidth", width) && ReadInt(m_Link, "ImageHeight", height);
    m_CameraInfo.imageSize = sizeRead ? std::to_string(width) + "x" + std::to_string(height) : kSizeDashes;
    ShowCameraInfo();
    return true;
}

bool CCorvel_5Dlg::CameraAnswers() const
{
    return m_Link.m_bLinkAlive != 0;
}

void CCorvel_5Dlg::ClearLiveValues()
{
    m_CameraInfo = CameraInfoTexts{};
    ShowCameraInfo();
    if (auto* panel = dynamic_cast<CDlgTempControl*>(m_Slots[lastconfig::kSlotTemperature].m_pPanel.get()))
        panel->SetTemperatures(QString::fromLatin1(kDashes), QString::fromLatin1(kDashes));
    if (m_pCameraInfo)
        m_pCameraInfo->ClearTemperature();
    for (CPanelSlot& slot : m_Slots)
        if (slot.m_pPanel)
            slot.m_pPanel->ClearLiveValues();
}

void CCorvel_5Dlg::LoseCamera()
{
    m_bConnected = false;
    ClearLiveValues();
}

void CCorvel_5Dlg::ShowCameraInfo()
{
    if (!m_pCameraInfo)
        return;
    m_pCameraInfo->m_strSize = QString::fromStdString(m_CameraInfo.imageSize);
    m_pCameraInfo->m_strFps = QString::fromStdString(m_CameraInfo.frameRate);
    m_pCameraInfo->m_strFrameTime = QString::fromStdString(m_CameraInfo.frameTime);
    m_pCameraInfo->m_strExposure = QString::fromStdString(m_CameraInfo.exposure);
    m_pCameraInfo->m_strTemperature = QString::fromStdString(m_CameraInfo.temperature);
    m_pCameraInfo->UpdateData();
}

void CCorvel_5Dlg::UpdateConnectionIcon()
{
    m_nStatusIcon = !m_bConnected                                    ? wnd::IDI_STATUS_NO_CAMERA
                    : !m_bUnconfigured && m_Link.m_nLastStatus == protocol::kAck ? wnd::IDI_STATUS_ACK
                                                                               : wnd::IDI_STATUS_OTHER;
    m_pStatusButton->setUpdatesEnabled(false);
    m_pStatusButton->setIcon(wnd::LoadIconResource(m_nStatusIcon));
    m_pStatusButton->resize(24, 24);
    m_pStatusButton->setUpdatesEnabled(true);
    m_pStatusButton->update();
}

void CCorvel_5Dlg::SetCameraLabel()
{
    const std::string& model = m_Link.m_strModelName;
    if (m_bUnconfigured && !model.empty())
        m_pCameraLabel->setText(QString::fromLatin1(kNotConfiguredText));
    else
        m_pCameraLabel->setText(model.empty() ? QString::fromLatin1(kNotDetectedText)
                                              : QString::fromStdString(model.substr(0, kLabelChars)));
}

QString CCorvel_5Dlg::CameraLabelText() const
{
    return m_pCameraLabel->text();
}

// ---- link host and commands ----

int CCorvel_5Dlg::ShowAppMessage(const std::string& text, const std::string& caption, unsigned flags)
{
    return wnd::ShowMessageBox(QString::fromStdString(text), QString::fromStdString(caption), flags);
}

ITerminalSink* CCorvel_5Dlg::Terminal()
{
    return m_pTerminal.get();
}

int CCorvel_5Dlg::ShowErrorDialog(const std::string& text)
{
    return wnd::ShowMessageBox(QString::fromStdString(text), QString::fromLatin1(kAppCaption), wnd::MB_OK);
}

bool CCorvel_5Dlg::OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam)
{
    // A panel reports that it was closed or opened; its button has already moved its latch.
    if (wParam == wnd::ID_PANEL_CLOSED) {
        OnPanelButton(static_cast<int>(lParam));
        BringPanelsToTop();
        return true;
    }
    const int id = static_cast<int>(wnd::LoWord(wParam));
    if ((cmd::TalksToCamera(id) || id == IDC_STATUS_BUTTON) && RefuseWhileChannelHeld())
        return true;
    if (id >= kPanelSlotSpecs[0].buttonId && id <= kPanelSlotSpecs[kPanelSlots - 1].buttonId) {
        OnPanelButton(id);
        BringPanelsToTop();
        return true;
    }
    if (id >= cmd::kLoadFromFactory && id <= cmd::kLoadFromIds[6]) {
        OnLoadFromSpace(id - cmd::kLoadFromFactory);
        return true;
    }
    if (id >= cmd::kSaveToUser1 && id < cmd::kSaveToUser1 + cmd::kUserSpaces) {
        OnSaveToUserSpace(id - cmd::kSaveToUser1 + 1);
        return true;
    }
    if (id >= cmd::kBootFromIds[0] && id <= cmd::kBootFromIds[4]) {
        OnBootFrom(id - cmd::kBootFromIds[0]);
        return true;
    }
    if (id >= cmd::kBaud9600 && id < cmd::kBaud9600 + cmd::kBaudItems) {
        OnBaudRate(id);
        return true;
    }
    if ((id >= cmd::kViewFirst && id < cmd::kViewFirst + kPanelSlots) || id == cmd::kSelectAll) {
        OnViewPanel(id);
        return true;
    }
    if (id >= cmd::kHelpFirst && id <= cmd::kHelpLast) {
        OnOpenHelp();
        return true;
    }
    switch (id) {
    case cmd::kRunApplication: OnRunApplication(); return true;
    case cmd::kLoadFromFile: OnLoadFromFile(); return true;
    case cmd::kLoadFromWorkspace:
    case IDC_STATUS_BUTTON: OnLoadFromWorkspace(); return true;
    case cmd::kSaveToFile: OnSaveToFile(); return true;
    case cmd::kWriteRegisters: OnWriteRegisters(); return true;
    case cmd::kSaveToFactory: OnSaveToFactory(); return true;
    case cmd::kBpmDialog: OnBpmDialog(); return true;
    case cmd::kCommandTerminal: OnCommandTerminal(); return true;
    case cmd::kDownloadTerminal: OnDownloadTerminal(); return true;
    case cmd::kSwitchPort: OnSwitchPort(); return true;
    case cmd::kExit: OnExit(); return true;
    case cmd::kAttachWindows: OnAttachWindows(); return true;
    case cmd::kOpenHelp: OnOpenHelp(); return true;
    case cmd::kDebug: OnDebugMode(); return true;
    case cmd::kSaveDump: OnSaveDump(); return true;
    case cmd::kAbout: OnAbout(); return true;
    case cmd::kMinimize: OnMinimize(); return true;
    default: return false;
    }
}

// ---- menu ----

void CCorvel_5Dlg::SetupMenu()
{
    m_Menu.Build(m_pMenuBar, [this](int id) { OnCommand(static_cast<wnd::WPARAM>(id), 0); });
    const std::string program = lastconfig::Read(lastconfig::kRunApp);
    if (!program.empty())
        m_Menu.SetText(cmd::kRunApplication, QStringLiteral("Run %1").arg(QString::fromStdString(ProgramFileName(program))));
    // Help stays on F1.
    m_Menu.Remove(cmd::kOpenHelp);
    m_Menu.Check(cmd::kDebug, m_bDebugMode != 0);
    for (CPanelSlot& slot : m_Slots)
        if (slot.m_pPanel)
            slot.m_pPanel->SetDebugMode(m_bDebugMode != 0);
}

void CCorvel_5Dlg::UpdateMenuState()
{
    if (m_Link.Settings().GetInt(comm::kSection, kFactoryKey, 0) == 0)
        m_Menu.Grey(cmd::kSaveToFactory);
    for (int n = 0; n <= cmd::kUserSpaces; ++n)
        m_Menu.Check(cmd::kBootFromIds[n], n == m_nBootFrom);
    m_Menu.Check(cmd::kCommandTerminal, m_bShowTerminal);
    // The dump stays a command; the menu does not offer it.
    m_Menu.Remove(cmd::kSaveDump);
}

void CCorvel_5Dlg::UpdateViewChecks()
{
    for (int i = 0; i < kPanelSlots; ++i) {
        m_Menu.Check(kPanelSlotSpecs[i].viewId, m_Slots[i].m_bView);
        if (m_Slots[i].m_pPanel)
            m_Slots[i].m_pPanel->SetNoAnimation(m_bNoAnimation);
    }
    m_Menu.Check(cmd::kSelectAll, m_bSelectAll);
}

void CCorvel_5Dlg::CheckLoadSource(int index)
{
    for (int i = 0; i < 7; ++i)
        m_Menu.Check(cmd::kLoadFromIds[i], i == index);
    BringPanelsToTop();
}

// ---- commands ----

std::string CCorvel_5Dlg::AskFile(bool save, const char* title, const char* filter, const char* suffix,
                                  const std::string& initialName)
{
    wnd::FileDialogRequest request;
    request.save = save;
    request.title = QString::fromLatin1(title);
    request.filter = QString::fromLatin1(filter);
    request.defaultSuffix = QString::fromLatin1(suffix);
    request.initialName = QString::fromStdString(initialName);
    request.parent = this;
    const std::optional<QString> chosen = wnd::ShowFileDialog(request);
    return chosen ? chosen->toStdString() : std::string();
}

void CCorvel_5Dlg::OnRunApplication()
{
    std::string program = lastconfig::Read(lastconfig::kRunApp);
    bool ask = true;
    if (!program.empty()) {
        const QString question =
            QStringLiteral("Do you really want run %1?").arg(QString::fromStdString(ProgramFileName(program)));
        if (wnd::ShowMessageBox(question, wnd::DefaultMessageBoxCaption(), wnd::MB_YESNO, this) == wnd::IDYES)
            ask = false;
        else
            program.clear();  // the settings keep it
    }
    if (ask) {
        program = AskFile(false, "Run Application", "Programs(*)|*||", "", "");
        if (program.empty())
            return;
    }
    // Only a file that can be run is started or kept.
    if (!IsRunnableProgram(program)) {
        wnd::ShowMessageBox(QStringLiteral("%1 is not a program that can be run.").arg(QString::fromStdString(program)),
                            wnd::DefaultMessageBoxCaption(), wnd::MB_OK | wnd::MB_ICONWARNING, this);
        return;
    }
    if (ask)
        lastconfig::Write(lastconfig::kRunApp, program);
    RunExternalProgram(program);
    m_Menu.SetText(cmd::kRunApplication, QStringLiteral("Run %1").arg(QString::fromStdString(ProgramFileName(program))));
}

void CCorvel_5Dlg::OnLoadFromFile()
{
    if (m_Link.RefuseWithoutConfiguration("Load Workspace"))
        return;
    const std::string file = AskFile(false, "Load Workspace from", kWorkspaceFilter, "rgs", "");
    if (file.empty())
        return;
    ReplayReport report;
    const int result = m_Link.LoadWorkspaceFromFile(file, &report);
    // Whatever reached the camera, refused lines and all, the panels show what it holds now.
    if (report.sent == 0)
        return;
    SetDefault();
    if (result == 0)
        CheckLoadSource(0);
    else
        BringPanelsToTop();
}

void CCorvel_5Dlg::OnLoadFromWorkspace()
{
    if (m_pTerminal)
        m_pTerminal->OnBnClickedBtClear();
    SetDefault();
    BringPanelsToTop();
}

void CCorvel_5Dlg::OnLoadFromSpace(int space)
{
    bool loadSent = false;
    const int result = m_Link.LoadFromUserSet(space, &loadSent);
    // A load the camera may have carried out, answer or not: the panels show what it holds now.
    if (!loadSent)
        return;
    SetDefault();
    if (result == 0)
        CheckLoadSource(space + 2);
    else
        BringPanelsToTop();
}

void CCorvel_5Dlg::OnSaveToFile()
{
    if (m_Link.RefuseWithoutConfiguration("Save Workspace"))
        return;
    const std::string file = AskFile(true, "Save Workspace to", kWorkspaceFilter, "rgs", "");
    if (!file.empty())
        m_Link.WriteRgsFile(file);
}

void CCorvel_5Dlg::OnWriteRegisters()
{
    m_Link.WriteWorkspaceToCamera();
}

void CCorvel_5Dlg::OnSaveToFactory()
{
    if (m_Link.RefuseWithoutConfiguration("Save To"))
        return;
    if (wnd::ShowMessageBox(QStringLiteral("Do you want to save current settings to Factory Space?"),
                            wnd::DefaultMessageBoxCaption(), wnd::MB_YESNO, this) == wnd::IDYES)
        m_Link.SaveToUserSet(0);
}

void CCorvel_5Dlg::OnSaveToUserSpace(int space)
{
    m_Link.SaveToUserSet(space);
}

void CCorvel_5Dlg::OnBootFrom(int space)
{
    if (m_Link.RefuseWithoutConfiguration("Boot From"))
        return;
    // The mark names the space the camera really boots from: only a write that reached it moves it.
    if (m_Link.SetParamIntIfOnline("BootFrom", space, true, false) != 0)
        return;
    m_nBootFrom = space;
    UpdateMenuState();
}

void CCorvel_5Dlg::OnBpmDialog()
{
    // The editor holds the camera channel while it reads or writes the flash. Its large layouts
    // are the 47M sensors'.
    CDlgDPM dialog(this, &m_Link, lastconfig::Read(lastconfig::kGuruMode) != 0,
                   IsLargeSensor47M(m_Link.m_nConfigIndex));
    dialog.exec();
}

void CCorvel_5Dlg::OnDownloadTerminal()
{
    // The dialog holds the camera channel while it writes to the flash. It has its own, wider
    // rule of large sensors.
    CDlgDownloadTerminal dialog(this, &m_Link, lastconfig::Read(lastconfig::kGuruMode) != 0,
                                IsLargeSensorForDownload(m_Link.m_nConfigIndex));
    dialog.exec();
}

void CCorvel_5Dlg::OnChannelOwnerChanged(bool scriptWrote)
{
    // The scripting console stays usable (its Stop above all); the other panels edit the camera.
    const bool scriptHolds = m_Link.m_ChannelOwner.Holder() == ChannelUser::Script;
    for (CPanelSlot& slot : m_Slots)
        if (slot.m_pPanel && !dynamic_cast<CDlgRunPythonScript*>(slot.m_pPanel.get()))
            slot.m_pPanel->setEnabled(!scriptHolds);
    // A script's frames bypass the panels: once it has ended they show what the camera holds
    // now, as after a workspace replay.
    if (scriptWrote && m_Link.m_ChannelOwner.IsFree() && m_bConnected && !m_bUnconfigured) {
        SetDefault();
        BringPanelsToTop();
    }
}

bool CCorvel_5Dlg::RefuseWhileChannelHeld()
{
    const std::string busy = m_Link.m_ChannelOwner.BusyText();
    if (busy.empty())
        return false;
    wnd::ShowMessageBox(QString::fromStdString(busy + " Try again once it has ended."), wnd::DefaultMessageBoxCaption(),
                        wnd::MB_OK | wnd::MB_ICONINFORMATION, this);
    return true;
}

void CCorvel_5Dlg::OnCommandTerminal()
{
    m_bShowTerminal = !m_bShowTerminal;
    if (m_pTerminal)
        m_pTerminal->setVisible(m_bShowTerminal);
    UpdateMenuState();
}

void CCorvel_5Dlg::OnSwitchPort()
{
    if (!m_pSelector)
        return;
    SelectPort(m_pSelector);
    BringPanelsToTop();
}

int CCorvel_5Dlg::BaudRateOfIndex(int index) const
{
    RegisterLink reg;
    if (!m_pXmlDoc || GetRegisterLink(m_Link, "BaudRate", reg) != 0 || reg.path.empty())
        return 0;
    const CXmlNodeValue node = m_pXmlDoc->Select(reg.path + "/val[" + std::to_string(index + 1) + "]");
    if (!node)
        return 0;
    bool digits = false;
    const std::int64_t rate = ParseInt64Auto(node.AsString(), &digits);
    return digits && rate > 0 && rate <= std::numeric_limits<int>::max() ? static_cast<int>(rate) : 0;
}

void CCorvel_5Dlg::CheckBaudItem(int index)
{
    // One rate is in use: exactly its item is ticked.
    for (int i = 0; i < cmd::kBaudItems; ++i)
        m_Menu.Check(cmd::kBaud9600 + i, i == index);
}

void CCorvel_5Dlg::OnBaudRate(int id)
{
    if (m_Link.RefuseWithoutConfiguration("Set Baud Rate"))
        return;
    const int index = id - cmd::kBaud9600;
    const int rate = BaudRateOfIndex(index);
    // Without a rate for this item the camera is not told to change: the link could not follow.
    if (rate == 0) {
        CORVEL_LOG(OL_ERROR, 1, kSource, "CCorvel_5Dlg::OnBaudRate", L"No baud rate for menu item %d.", index);
        return;
    }
    // The host follows only a camera that took the new rate; refused or not sent, both sides
    // stay where they are and so does the tick.
    const int result = m_Link.SetParamIntIfOnline("BaudRate", index, true, false);
    if (result != 0 && result != kOrvParamUnchanged)
        return;
    CheckBaudItem(index);
    m_nBaudIndex = index;
    m_Link.SetBaudRate(rate);
}

void CCorvel_5Dlg::OnExit()
{
    close();
}

void CCorvel_5Dlg::OnTerminationSignal()
{
    m_bEndingOnSignal = true;
    close();
}

void CCorvel_5Dlg::OnViewPanel(int id)
{
    if (id >= cmd::kViewFirst && id < cmd::kViewFirst + kPanelSlots) {
        const int i = id - cmd::kViewFirst;
        CPanelSlot& slot = m_Slots[i];
        slot.m_bView = !slot.m_bView;
        if (slot.m_pPanel && slot.m_pszKey && m_bViewSave)
            lastconfig::Write(lastconfig::PanelViewKey(i), slot.m_bView ? 1 : 0);
        m_Menu.Check(id, slot.m_bView);
        CloseOpenPanel(slot);
    } else if (id == cmd::kSelectAll) {
        // "All" means the slots this camera has: the others have no panel to view.
        m_bSelectAll = !m_bSelectAll;
        for (int i = 0; i < kPanelSlots; ++i) {
            CPanelSlot& slot = m_Slots[i];
            if (!slot.m_pPanel || !slot.m_pszKey)
                continue;
            // Each slot as with its own View item: one that leaves the view closes its panel.
            if (slot.m_bView != m_bSelectAll)
                CloseOpenPanel(slot);
            slot.m_bView = m_bSelectAll;
            if (m_bViewSave)
                lastconfig::Write(lastconfig::PanelViewKey(i), m_bSelectAll ? 1 : 0);
        }
        UpdateViewChecks();
    }
    m_bSelectAll = std::all_of(std::begin(m_Slots), std::end(m_Slots),
                               [](const CPanelSlot& s) { return !s.m_pPanel || !s.m_pszKey || s.m_bView; });
    m_Menu.Check(cmd::kSelectAll, m_bSelectAll);
    RecalcLayout();
    PanelsFollow();
}

void CCorvel_5Dlg::CloseOpenPanel(CPanelSlot& slot)
{
    if (!slot.m_pButton || !slot.m_pButton->m_bLatched)
        return;
    if (slot.m_pPanel)
        slot.m_pPanel->hide();
    wnd::SendCommand(slot.m_pButton, wnd::ID_PANEL_CLOSED, 0);
    slot.m_bOpen = false;
}

void CCorvel_5Dlg::PanelsFollow()
{
    wnd::CDeferWindowPos batch;
    for (CPanelSlot& slot : m_Slots) {
        if (!slot.m_pPanel)
            continue;
        if (slot.m_pPanel->m_bDocked)
            slot.m_pPanel->MoveDocked(&batch);
        else
            slot.m_pPanel->CheckDocked();
    }
    batch.End();
}

void CCorvel_5Dlg::OnAttachWindows()
{
    // Every panel, floating or not, goes back to its docking place beside its button.
    wnd::CDeferWindowPos batch;
    for (CPanelSlot& slot : m_Slots)
        if (slot.m_pPanel)
            slot.m_pPanel->MoveDocked(&batch);
    batch.End();
}

void CCorvel_5Dlg::OnOpenHelp()
{
    OpenDocument((platform::ExecutableFolder() / kHelpFile).string());
}

void CCorvel_5Dlg::OnDebugMode()
{
    m_bDebugMode = m_bDebugMode ? 0 : 1;
    lastconfig::Write(lastconfig::kDebugMode, m_bDebugMode);
    m_Menu.Check(cmd::kDebug, m_bDebugMode != 0);
    for (CPanelSlot& slot : m_Slots)
        if (slot.m_pPanel)
            slot.m_pPanel->SetDebugMode(m_bDebugMode != 0);
    if (m_pTerminal)
        m_pTerminal->OnBnClickedBtClear();
    SetDefault();
    BringPanelsToTop();
}

std::string CCorvel_5Dlg::DumpFileName() const
{
    std::string name = m_Link.m_strModelName + m_Link.m_strSerialNumber + ".txt";
    // Register text names the file: no folders, no control characters.
    for (char& c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '_';
    if (name.front() == '.')
        name.front() = '_';
    return name;
}

void CCorvel_5Dlg::OnSaveDump()
{
    if (m_Link.RefuseWithoutConfiguration("Save Dump Camera Regs"))
        return;
    const std::string file = AskFile(true, "Save Dump Camera Regs", "Dump Registry Files(*.txt)|*.txt||", "txt",
                                     DumpFileName());
    if (!file.empty())
        m_Link.WriteDumpFile(file);
}

void CCorvel_5Dlg::OnMinimize()
{
    OnSysCommand(SC_MINIMIZE);
}

void CCorvel_5Dlg::HidePanels()
{
    for (CPanelSlot& slot : m_Slots)
        if (slot.m_pPanel)
            slot.m_pPanel->hide();
}

void CCorvel_5Dlg::ShowViewedPanels()
{
    for (CPanelSlot& slot : m_Slots)
        if (slot.m_pPanel && slot.m_bView && slot.m_bOpen)
            slot.m_pPanel->show();
}

void CCorvel_5Dlg::OnSysCommand(unsigned id)
{
    if ((id & 0xFFF0u) == IDM_ABOUTBOX) {
        OnAbout();
        return;
    }
    // The window-state change hides or shows the panels.
    if ((id & 0xFFF0u) == SC_MINIMIZE)
        showMinimized();
    else if ((id & 0xFFF0u) == SC_RESTORE)
        showNormal();
}

void CCorvel_5Dlg::OnPanelButton(int buttonId)
{
    int index = -1;
    for (int i = 0; i < kPanelSlots; ++i)
        if (kPanelSlotSpecs[i].buttonId == buttonId)
            index = i;
    if (index < 0)
        return;
    CPanelSlot& slot = m_Slots[index];
    constexpr int kScriptSlot = 8;
    if (index != kScriptSlot && !m_bConnected) {
        wnd::SendCommand(slot.m_pButton, wnd::ID_PANEL_CLOSED, 0);
        return;
    }
    if (!slot.m_pPanel)
        return;
    slot.m_bOpen = slot.m_pButton->m_bLatched;
    if (!slot.m_bOpen) {
        slot.m_pPanel->hide();
    } else if (slot.m_bView) {
        slot.m_pPanel->show();
    }
}

void CCorvel_5Dlg::closeEvent(QCloseEvent* event)
{
    // A running script is stopped on the way out (the scripting console's close); the operator
    // says whether to go on, unless a signal ends the program.
    if (!m_bEndingOnSignal && m_Link.m_ChannelOwner.Holder() == ChannelUser::Script &&
        wnd::ShowMessageBox(QStringLiteral("A script is running. Stop it and exit?"), wnd::DefaultMessageBoxCaption(),
                            wnd::MB_YESNO | wnd::MB_ICONQUESTION, this) != wnd::IDYES) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
    emit Closed();
}

void CCorvel_5Dlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_F1:
        // Help, as the window framework's help command.
        OnCommand(cmd::kHelp, 0);
        event->accept();
        return;
    case Qt::Key_F2:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void CCorvel_5Dlg::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (m_bInitialized)
        PanelsFollow();
}

void CCorvel_5Dlg::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if (isMinimized())
            HidePanels();
        else if (change->oldState() & Qt::WindowMinimized)
            ShowViewedPanels();
    } else if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_bRestacking) {
        // Raising the panels must not start another activation round.
        m_bRestacking = true;
        BringPanelsToTop();
        m_bRestacking = false;
    }
}
