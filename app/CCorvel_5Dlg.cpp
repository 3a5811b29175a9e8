#include "CCorvel_5Dlg.h"

#include "CAboutDlg.h"
#include "CWaitGUIThread.h"
#include "LastConfig.h"
#include "MapLoadReporter.h"

#include "camera/CFlagGuard.h"
#include "camera/CPerfCounter.h"
#include "catalogues/BuildCatalogZorvatMachineVision.h"
#include "catalogues/ConfigurationTable.h"
#include "catalogues/RegisterMapLoader.h"
#include "controls/CDrawButton.h"
#include "controls/DlgItem.h"
#include "controls/MessageBox.h"
#include "controls/WindowIds.h"
#include "logging/ConfiguratorLog.h"
#include "platform/Paths.h"
#include "tools/CTerminal.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <cstdio>

namespace {

constexpr wchar_t kSource[] = L"Corvel_5Dlg";
constexpr char kSetDefault[] = "CCorvel_5Dlg::SetDefault";
constexpr char kSelectPort[] = "CCorvel_5Dlg::SelectPort";
constexpr char kDashes[] = "---------";
constexpr char kSizeDashes[] = "----x----";
constexpr int kLensMountActive = 3;

// Geometry of the client area while there is no camera-information panel above the buttons.
constexpr int kColumnLeft = 4;
constexpr int kColumnWidth = 232;
constexpr int kButtonHeight = 40;
constexpr int kStatusRowHeight = 34;

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

}  // namespace

CCorvel_5Dlg::CCorvel_5Dlg(QWidget* parent, ISettings* settings)
    : QWidget(parent, Qt::Window), m_Link(settings)
{
    m_Link.SetWaitIndicator(&m_WaitIndicator);
    setWindowTitle(QStringLiteral("Corvel"));
    wnd::SetDlgCtrlID(this, IDD);

    m_pMenuBar = new QMenuBar(this);
    m_pMenuBar->addMenu(QStringLiteral("&File"));
    m_pViewMenu = m_pMenuBar->addMenu(QStringLiteral("&View"));
    QMenu* help = m_pMenuBar->addMenu(QStringLiteral("&Help"));
    QAction* about = help->addAction(QStringLiteral("About"));
    about->setData(static_cast<int>(ID_APP_ABOUT));
    connect(about, &QAction::triggered, this, [this] { OnAbout(); });
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

    m_pTimers = std::make_unique<wnd::CWndTimers>(this, [this](unsigned id) { OnTimer(id); });
    RecalcLayout();
}

CCorvel_5Dlg::~CCorvel_5Dlg()
{
    m_pTimers->KillAll();
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
    SetDefault();
    m_bInitialized = true;
    return selector ? SelectPort(selector) : 0;
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
    m_pXmlDoc = LoadRegisterMapForRow(row, platform::ExecutableFolder(), &reporter);
    if (!m_pXmlDoc)
        return;

    m_Link.SetMainWindow(this);
    if (m_pTerminal) {
        m_Link.m_bCheckErrorDisabled = m_pTerminal->m_nDisableErrorCheck == 1;
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
        for (QAction* action : m_pViewMenu->actions())
            if (action->data().toInt() == kPanelSlotSpecs[i].viewId)
                delete action;
        if (!m_Slots[i].m_pPanel)
            CreateSlotPanel(i, row);
    }

    RunCatalogueBuilder(row);

    // The lens panel serves only the lens mount that reports 3.
    if (m_Slots[7].m_pPanel) {
        std::int64_t mount = 0;
        ReadInt(m_Link, "CanonActiveMount", mount);
        if (mount != kLensMountActive)
            m_Slots[7].Close();
    }

    for (int i = 0; i < kPanelSlots; ++i) {
        CPanelSlot& slot = m_Slots[i];
        if (!slot.m_pPanel)
            continue;
        slot.m_pszKey = lastconfig::kPanelKeys[i];
        // The slot icons are not among the program's resources yet: the button draws none.
        slot.m_pButton->m_hIcon = QIcon();
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

    // The camera-information panel is not part of this window yet: its values are polled into
    // m_CameraInfo only.
    if (m_bConnected) {
        wait.SetText(QStringLiteral("Initializing Camera Info. Wait please"));
        m_Link.m_bOnline = 1;
        UpdateExposure();
        UpdateTemperature();
        m_bConnected = UpdateFrameTime();
        UpdateConnectionIcon();
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
        slot.m_pButton->show();
        auto* action = new QAction(QString::fromLatin1(kPanelSlotSpecs[i].title), m_pViewMenu);
        action->setData(kPanelSlotSpecs[i].viewId);
        action->setCheckable(true);
        action->setChecked(slot.m_bView);
        const QList<QAction*> items = m_pViewMenu->actions();
        m_pViewMenu->insertAction(items.isEmpty() ? nullptr : items.first(), action);
        if (!slot.m_bView)
            m_bSelectAll = false;
    }

    RecalcLayout();
    if (m_bConnected) {
        std::int64_t baud = -1;
        ReadInt(m_Link, "BaudRate", baud);
        m_nBaudIndex = static_cast<int>(baud);
        // Only the five rates have menu items; another value checks nothing.
        if (m_nBaudIndex >= 0 && m_nBaudIndex <= 4)
            for (QAction* action : m_pMenuBar->findChildren<QAction*>())
                if (action->data().toInt() == ID_BAUD_FIRST + m_nBaudIndex)
                    action->setChecked(true);
        StartTimers();
    }
    SetCameraLabel();
    if (m_Link.m_bLinkAlive)
        m_Link.m_bOnline = 1;
    CORVEL_LOG(OL_TRACE, 1, kSource, kSetDefault, L"End SetDefault.");
}

void CCorvel_5Dlg::CreateSlotPanel(int slot, int row)
{
    const ConfigurationRow& config = ConfigurationRowFor(row);
    int templateId = kPanelSlotSpecs[slot].templateId;
    if (config.panels == PanelVariant::Kelmir && slot == 0)
        templateId = 226;
    if (config.panels == PanelVariant::Kelmir && slot == 4)
        templateId = 223;
    if (config.panels == PanelVariant::NoAecAgc && slot == 3)
        return;
    if (slot == 8 && m_bShowPythonPanel == 0)
        return;
    // Every slot holds the common panel until its own class exists.
    auto panel = std::make_unique<COptionDialog>(templateId, this, &m_Link);
    panel->Create(templateId, nullptr);
    panel->setWindowTitle(QString::fromLatin1(kPanelSlotSpecs[slot].title).replace("&&", "&"));
    m_Slots[slot].m_pPanel = std::move(panel);
}

void CCorvel_5Dlg::RunCatalogueBuilder(int row)
{
    const bool debug = m_bDebugMode != 0;
    switch (row) {
    case 4:
        BuildCatalogZorvatMachineVision(m_Link, m_pXmlDoc, debug);
        break;
    case 5:
        BuildCatalogZorvatMachineVision47(m_Link, m_pXmlDoc, debug);
        break;
    default:
        // Kelmir, aerospace and ruggedized catalogues are not built in yet: the store keeps
        // what it holds, as for the rows without a builder.
        break;
    }
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
    const int menuHeight = m_pMenuBar->sizeHint().height();
    m_pMenuBar->setGeometry(0, 0, kColumnLeft * 2 + kColumnWidth, menuHeight);
    int top = 0;
    for (CPanelSlot& slot : m_Slots) {
        if (!slot.m_pPanel || !slot.m_pszKey) {
            slot.m_pButton->hide();
            continue;
        }
        slot.m_pButton->setVisible(slot.m_bView);
        if (!slot.m_bView)
            continue;
        slot.m_pButton->setGeometry(kColumnLeft, top, kColumnWidth, kButtonHeight);
        top += kButtonHeight + 1;
    }
    // Status row: the frame, the camera label inset 4, the workspace button at its right end.
    m_pStatusFrame->setGeometry(kColumnLeft, top + 4, kColumnWidth - 29, 24);
    m_pCameraLabel->setGeometry(4, 0, m_pStatusFrame->width() - 8, m_pStatusFrame->height());
    m_pStatusButton->setGeometry(kColumnLeft + kColumnWidth - 25, top + 4, 24, 24);
    const int clientHeight = top + kStatusRowHeight;
    m_pClient->setGeometry(0, menuHeight, kColumnLeft * 2 + kColumnWidth, clientHeight);
    setFixedSize(kColumnLeft * 2 + kColumnWidth, menuHeight + clientHeight);
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
    // The camera's fields only for a camera that was identified.
    if (!m_Link.m_strModelName.empty())
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
    m_Link.m_bNotIdentified = 0;
    if (m_pTerminal) {
        m_Link.m_bCheckErrorDisabled = m_pTerminal->m_nDisableErrorCheck == 1;
        m_pTerminal->SetErrorCheckingDisabled(true);
        m_pTerminal->OnBnClickedBtClear();
    }
    m_Link.Init(choice.name);
    if (choice.isLibrary)
        m_Link.CheckPort(static_cast<std::uint32_t>(choice.portIndex));
    else
        m_Link.m_nPortIndex = choice.portIndex;
    m_Link.ReadCameraInfo();
    SetCameraLabel();
    m_bConnected = m_Link.m_bLinkAlive != 0;

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
    UpdateConnectionIcon();
    return 0;
}

// ---- polling ----

int CCorvel_5Dlg::PollingPeriod() const
{
    return m_pTerminal ? m_pTerminal->m_nPollingTime : kDefaultPollingMs;
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
    StartTimers();
}

template <typename Poll>
void CCorvel_5Dlg::WithPollingEcho(Poll poll)
{
    m_Link.m_bEchoToTerminal = !m_pTerminal || m_pTerminal->m_nDisablePolling == 0;
    poll();
    m_Link.m_bEchoToTerminal = 1;
}

void CCorvel_5Dlg::OnTimer(unsigned id)
{
    if (m_bScriptRunning)
        return;
    // Nothing polls in the middle of a guarded operation (a rebuild included).
    if (CWaitGUIThread::IsWaiting())
        return;
    if (!m_bDownloadLoading) {
        switch (id) {
        case TIMER_TEMPERATURE:
            if (m_bConnected)
                WithPollingEcho([this] {
                    m_bConnected = UpdateTemperature();
                    if (m_bConnected)
                        UpdateProtectionWarning();
                });
            break;
        case TIMER_EXPOSURE:
            if (m_bConnected)
                WithPollingEcho([this] {
                    m_bConnected = UpdateExposure();
                    if (!m_bConnected)
                        m_bConnected = UpdateExposure();
                });
            break;
        case TIMER_FRAME_TIME:
            if (!m_bConnected) {
                if (m_pTerminal)
                    m_pTerminal->OnBnClickedBtClear();
                m_Link.DetectBaudRate();
                m_Link.ReadCameraInfo();
                if (m_Link.m_bLinkAlive) {
                    m_bConnected = true;
                    SetDefault();
                    BringPanelsToTop();
                    SetCameraLabel();
                }
            }
            if (m_Link.m_bLinkAlive)
                WithPollingEcho([this] {
                    m_bConnected = UpdateFrameTime();
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
    // The Kelmir camera's cooler temperature comes with the Kelmir gain/offset panel.
    std::int64_t raw = 0;
    m_CameraInfo.temperature = kDashes;
    if (!ReadInt(m_Link, "Temperature", raw))
        return false;
    if (raw > 511)
        raw -= 1024;
    m_CameraInfo.temperature = Format("%.2f", static_cast<double>(raw) * 0.25);
    return true;
}

bool CCorvel_5Dlg::UpdateExposure()
{
    std::int64_t value = 0;
    m_CameraInfo.exposure = kDashes;
    if (!ReadInt(m_Link, "Exposure", value))
        return false;
    m_CameraInfo.exposure = Format("%.3f", static_cast<double>(value) / 1000.0);
    return true;
}

bool CCorvel_5Dlg::UpdateFrameTime()
{
    std::int64_t value = 0;
    if (!ReadInt(m_Link, "FrameTime", value)) {
        m_CameraInfo.frameRate = kDashes;
        m_CameraInfo.frameTime = kDashes;
        m_CameraInfo.imageSize = kSizeDashes;
        return false;
    }
    m_CameraInfo.frameRate = Format("%.3f", value == 0 ? 0.0 : 1000000.0 / static_cast<double>(value));
    m_CameraInfo.frameTime = Format("%.3f", static_cast<double>(value) / 1000.0);
    std::int64_t width = value;
    std::int64_t height = value;
    ReadInt(m_Link, "ImageWidth", width);
    ReadInt(m_Link, "ImageHeight", height);
    m_CameraInfo.imageSize = std::to_string(width) + "x" + std::to_string(height);
    return true;
}

void CCorvel_5Dlg::UpdateConnectionIcon()
{
    m_nStatusIcon = !m_bConnected ? 169 : (m_Link.m_nLastStatus == 6 ? 167 : 170);
    m_pStatusButton->setIconSize(QSize(24, 24));
    m_pStatusButton->update();
}

void CCorvel_5Dlg::SetCameraLabel()
{
    const std::string& model = m_Link.m_strModelName;
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
    const unsigned id = wnd::LoWord(wParam);
    if (id == wnd::ID_PANEL_CLOSED) {
        // A panel closed: its slot's open flag follows its button.
        for (CPanelSlot& slot : m_Slots)
            if (slot.m_pButton && wnd::WindowHandle(slot.m_pButton) == lParam)
                slot.m_bOpen = false;
        return true;
    }
    if (id == ID_COMMAND_TERMINAL) {
        m_bShowTerminal = !m_bShowTerminal;
        if (m_pTerminal)
            m_pTerminal->setVisible(m_bShowTerminal);
        return true;
    }
    return false;
}

void CCorvel_5Dlg::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    emit Closed();
}
