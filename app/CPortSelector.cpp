#include "CPortSelector.h"

#include "CWaitGUIThread.h"
#include "MapLoadReporter.h"

#include "camera/CameraLink.h"
#include "camera/ClserBinding.h"
#include "camera/ISettings.h"
#include "camera/clser.h"
#include "catalogues/CatalogueBuilders.h"
#include "catalogues/ConfigurationTable.h"
#include "catalogues/RegisterMapLoader.h"
#include "controls/DialogUnits.h"
#include "controls/DlgItem.h"
#include "logging/ConfiguratorLog.h"
#include "platform/DynamicLibrary.h"
#include "platform/Paths.h"
#include "platform/ProfileSettings.h"
#include "tools/CTerminal.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <sstream>

namespace {

constexpr char kLastPort[] = "LastPort";
constexpr int kLastPortDefault = 5;
constexpr char kComPorts[] = "COMPorts";
constexpr char kSystem32[] = "System32";
constexpr std::size_t kLibraryPathBytes = 260;

constexpr wchar_t kSource[] = L"PortSelector";
constexpr char kOnInitDialog[] = "CPortSelector::OnInitDialog";
/// What a failed serial-port initialisation's result means (the line ends are as they are).
constexpr wchar_t kInitResultCodes[] = L"If return code < 0:\r\n -61 = COM port handle invalid\r\n -62 = "
                                       L"GetCommTimeout error\n -63 = SetCommTimeout error\r\n -64 = GetCommState\r\n "
                                       L"-65 = SetCommState\r\n -70 = Camera's BaudRate not detected";

std::vector<std::string> SplitList(const char* variable)
{
    std::vector<std::string> items;
    if (!variable)
        return items;
    std::stringstream list(variable);
    std::string item;
    while (std::getline(list, item, ':'))
        if (!item.empty())
            items.push_back(item);
    return items;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

/// A width the dialog's template gives in pixels at the 8-point dialog font, at the dialog font
/// in use.
int TemplatePixelsX(int pixels)
{
    return wnd::MulDiv(pixels, wnd::DialogBaseUnits().width(), wnd::kDialogBaseUnitX);
}

std::string Printf(const char* format, int value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

std::filesystem::path SystemLibraryFolder()
{
    // The folder the C library was loaded from.
    if (void* symbol = ::dlsym(RTLD_DEFAULT, "gnu_get_libc_version"))
        return platform::ModulePathOf(symbol).parent_path();
    return {};
}

std::vector<std::filesystem::path> LibraryFolders(const std::filesystem::path& systemFolder)
{
    std::vector<std::filesystem::path> folders;
    if (!systemFolder.empty())
        folders.push_back(systemFolder);
    const char* variable = std::getenv("CLSERIALPATH");
    // A value that would not fit the 260 bytes the library folder is read into names none.
    if (variable && std::strlen(variable) < kLibraryPathBytes)
        for (const std::string& folder : SplitList(variable))
            folders.emplace_back(folder);
    return folders;
}

std::vector<std::string> SerialLibraries(const std::vector<std::filesystem::path>& folders)
{
    std::vector<std::string> libraries;
    for (const std::filesystem::path& folder : folders) {
        std::vector<std::string> found;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
            const std::string name = entry.path().filename().string();
            // The generic library forwards to the others: never probed itself.
            const std::string base = Lower(name.substr(0, name.find('.')));
            if (!IsClserLibraryName(name) || base == "clserial" || base == "libclserial")
                continue;
            if (entry.is_regular_file(ec))
                found.push_back(entry.path().string());
        }
        std::sort(found.begin(), found.end());
        libraries.insert(libraries.end(), found.begin(), found.end());
    }
    return libraries;
}

std::vector<std::string> SerialPorts()
{
    std::vector<std::string> ports;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/class/tty", ec))
        if (std::filesystem::exists(entry.path() / "device" / "driver", ec))
            ports.push_back("/dev/" + entry.path().filename().string());
    std::sort(ports.begin(), ports.end());
    for (const std::string& extra : SplitList(std::getenv("CORVEL_EXTRA_PORTS")))
        ports.push_back(extra);
    return ports;
}

namespace {

bool SamePath(const std::string& a, const std::string& b)
{
    std::error_code error;
    return a == b || std::filesystem::equivalent(a, b, error);
}

/// The link has port `index` of the serial library at `path` open.
bool HoldsLibraryPort(const CCameraLink& link, const std::string& path, int index)
{
    return link.m_hLibrary.IsLoaded() && link.m_bPortOpen && link.m_nPortIndex == index &&
           SamePath(link.m_strPortName, path);
}

/// The link has the serial port `port` open.
bool HoldsComPort(const CCameraLink& link, const std::string& port)
{
    return link.m_hComPort && link.m_hComPort->IsOpen() && SamePath(link.m_strPortName, port);
}

}  // namespace

CPortSelector::CPortSelector(CCorvel_5Dlg* owner, ISettings* settings, platform::IClock* clock)
    : QDialog(owner), m_listPorts(SerialPorts), m_mapFolder(platform::ExecutableFolder()),
      m_systemFolder(SystemLibraryFolder()), m_pOwner(owner),
      m_pSettings(settings), m_pClock(clock)
{
    if (!m_pSettings) {
        m_pOwnSettings = std::make_unique<ProfileLinkSettings>(platform::ProfileSettings::Application());
        m_pSettings = m_pOwnSettings.get();
    }
    setWindowTitle(QStringLiteral("Select Port"));
    // Modal to the main window only: the panels stay usable.
    setWindowModality(Qt::WindowModal);
    wnd::SetDlgCtrlID(this, IDD);
    auto* layout = new QVBoxLayout(this);
    m_pList = new QTreeWidget(this);
    wnd::SetDlgCtrlID(m_pList, IDC_LIST);
    m_pList->setColumnCount(3);
    m_pList->setHeaderLabels({QStringLiteral("Port"), QStringLiteral("Interface DLL"), QStringLiteral("Camera")});
    m_pList->setRootIsDecorated(false);
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pList->header()->setDefaultAlignment(Qt::AlignCenter);
    // A port path ("/dev/serial/by-id/...-port0") and a library name are told apart by their
    // ends: a column too narrow keeps both ends and drops the middle.
    m_pList->setTextElideMode(Qt::ElideMiddle);
    FitColumns();
    connect(m_pList, &QTreeWidget::itemDoubleClicked, this, [this] { OnOK(); });
    layout->addWidget(m_pList);
    m_pScanCom = new QCheckBox(QStringLiteral("Scan COM Ports"), this);
    wnd::SetDlgCtrlID(m_pScanCom, IDC_SCAN_COM);
    m_pScanSystem = new QCheckBox(QStringLiteral("Scan System32 Folder"), this);
    wnd::SetDlgCtrlID(m_pScanSystem, IDC_SCAN_SYSTEM);
    connect(m_pScanCom, &QCheckBox::clicked, this,
            [this](bool on) { m_pSettings->WriteInt(comm::kSection, kComPorts, on ? 1 : 0); });
    connect(m_pScanSystem, &QCheckBox::clicked, this,
            [this](bool on) { m_pSettings->WriteInt(comm::kSection, kSystem32, on ? 1 : 0); });
    layout->addWidget(m_pScanCom);
    layout->addWidget(m_pScanSystem);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    wnd::SetDlgCtrlID(ok, 1);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    wnd::SetDlgCtrlID(cancel, 2);
    auto* rescan = new QPushButton(QStringLiteral("Rescan Ports"), this);
    wnd::SetDlgCtrlID(rescan, IDC_RESCAN);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
    connect(rescan, &QPushButton::clicked, this, [this] { OnInitDialog(); });
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(rescan);
    layout->addLayout(buttons);
}

CPortSelector::~CPortSelector() = default;

bool CPortSelector::Listed(const std::string& camera, int configIndex)
{
    if (camera.empty() || camera == "none" || camera == "PortInUse")
        return true;
    // Only cameras whose configuration has a built-in register map can be configured.
    return ConfigurationRowIndex(configIndex) == configIndex && ConfigurationRowFor(configIndex).builtinMapId != 0;
}

void CPortSelector::AddRow(Row row)
{
    auto* item = new QTreeWidgetItem(m_pList);
    item->setText(0, QString::fromStdString(row.port));
    item->setText(1, QString::fromStdString(row.library));
    item->setText(2, QString::fromStdString(row.camera));
    for (int c = 0; c < 3; ++c)
        item->setTextAlignment(c, Qt::AlignCenter);
    // The whole port and library path, for a cell too narrow to show it.
    item->setToolTip(0, QString::fromStdString(row.port));
    item->setToolTip(1, QString::fromStdString(row.path.empty() ? row.library : row.path));
    item->setToolTip(2, QString::fromStdString(row.camera));
    m_Rows.push_back(std::move(row));
}

void CPortSelector::ClearRows()
{
    m_pList->clear();
    m_Rows.clear();
}

void CPortSelector::FitColumns()
{
    // Each column as wide as its texts, within bounds that keep one long path from crowding
    // out the others; the camera column takes the rest, and the list keeps room for its names.
    const QAbstractItemView* view = m_pList;
    auto needed = [&](int column) {
        return std::max(view->sizeHintForColumn(column), m_pList->header()->sectionSizeHint(column));
    };
    const int port = std::clamp(needed(0), TemplatePixelsX(60), TemplatePixelsX(150));
    const int library = std::clamp(needed(1), TemplatePixelsX(100), TemplatePixelsX(200));
    const int camera = std::max(needed(2), TemplatePixelsX(100));
    m_pList->setColumnWidth(0, port);
    m_pList->setColumnWidth(1, library);
    int width = port + library + camera + 2 * m_pList->frameWidth() + m_pList->verticalScrollBar()->sizeHint().width();
    if (const QScreen* shown = screen())
        width = std::min(width, shown->availableGeometry().width() * 9 / 10);
    m_pList->setMinimumWidth(width);
}

int CPortSelector::CurrentRow() const
{
    QTreeWidgetItem* item = m_pList->currentItem();
    return item ? m_pList->indexOfTopLevelItem(item) : -1;
}

void CPortSelector::SetCurrentRow(int row)
{
    m_pList->setCurrentItem(m_pList->topLevelItem(row));
}

bool CPortSelector::OnInitDialog()
{
    move(300, 300);
    ScanResult result = ScanResult::Listed;
    {
        CWaitGUIThread wait(QStringLiteral("Available ports collection. Wait please"));
        result = Scan();
    }
    FitColumns();
    if (result == ScanResult::Refused) {
        // The operator answered a camera's refusal: the selection ends as cancelled.
        m_bEndedByScan = true;
        OnCancel();
    }
    return result == ScanResult::Listed;
}

bool CPortSelector::Logging() const
{
    return m_pOwner && m_pOwner->m_nLogging != 0;
}

CPortSelector::ScanResult CPortSelector::Scan()
{
    ClearRows();
    CMapLoadReporter reporter;
    // The cameras are not identified yet: they are probed with the default row's map and catalogue.
    RegisterMapPtr map = LoadRegisterMapForRow(kDefaultConfigurationRow, m_mapFolder, &reporter);
    if (!map)
        return ScanResult::NoRegisterMap;
    CCameraLink link(m_pSettings);
    link.SetClock(m_pClock);
    if (m_pOwner) {
        if (CTerminal* terminal = m_pOwner->TerminalWindow())
            link.SetCheckErrorDisabled(terminal->m_nDisableErrorCheck == 1);
        link.SetMainWindow(m_pOwner);
        link.SetDataFolder(m_pOwner->m_Link.DataFolder());
    }
    BuildCatalogueForRow(kDefaultConfigurationRow, link, map, false);
    const ScanResult result = ProbePorts(link);
    // However the scan ended, no port of the probe stays open.
    link.Close();
    link.SetMainWindow(nullptr);
    return result;
}

CPortSelector::ScanResult CPortSelector::ProbePorts(CCameraLink& link)
{
    const int lastPort = m_pSettings->GetInt(comm::kSection, kLastPort, kLastPortDefault);
    const bool scanCom = m_pSettings->GetInt(comm::kSection, kComPorts, 0) != 0;
    m_pScanCom->setChecked(scanCom);
    const bool scanSystem = m_pSettings->GetInt(comm::kSection, kSystem32, 0) != 0;
    m_pScanSystem->setChecked(scanSystem);

    int preselected = -1;
    // The port the main window's link holds cannot be probed (the link has it open): it is
    // listed with the camera the window knows there, and preselected.
    const CCameraLink* current = m_pOwner ? &m_pOwner->m_Link : nullptr;
    auto addCurrent = [&](Row row) {
        // The window's camera only while it answers there: a camera lost on a port still held
        // is not named as if it were found.
        const bool answering = m_pOwner->m_bConnected && !current->m_strModelName.empty();
        row.camera = answering ? current->m_strModelName : std::string("none");
        row.baudRate = current->m_nBaudRate;
        preselected = static_cast<int>(m_Rows.size());
        AddRow(std::move(row));
    };
    // False when the operator's answer to a refusal stopped the identification.
    auto identify = [&](Row& row) {
        if (link.ReadCameraInfo() == link_result::kReadReported)
            return false;
        row.camera = link.m_strModelName;
        row.baudRate = link.m_nBaudRate;
        if (preselected < 0 && link.m_bLinkAlive && Listed(row.camera, link.m_nConfigIndex))
            preselected = static_cast<int>(m_Rows.size());
        return true;
    };

    for (const std::string& path : SerialLibraries(LibraryFolders(scanSystem ? m_systemFolder : std::filesystem::path()))) {
        const std::string file = std::filesystem::path(path).filename().string();
        link.Close();
        link.SetPortIndex(-1);
        const int opened = link.Init(path);
        if (opened < 0) {
            AddRow({Printf("%d", opened), file, "Error", kErrorRow, -1, path});
            continue;
        }
        int check = link.CheckPort(0);
        if (check < 0 && check != clser::kErrPortInUse)
            continue;
        int ports = lastPort;
        std::uint32_t count = 0;
        if (link.SerialPortCount(count) == 0)
            ports = std::min(ports, static_cast<int>(count));
        for (int i = 0; i < ports && (check >= 0 || check == clser::kErrPortInUse); ++i) {
            if (i > 0)
                check = link.CheckPort(static_cast<std::uint32_t>(i));
            if (check < 0 && check != clser::kErrPortInUse)
                break;
            Row row{Printf("%02d", i), file, "", i, -1, path};
            link.SetPortIndex(i);
            if (check == clser::kErrPortInUse && current && HoldsLibraryPort(*current, path, i)) {
                addCurrent(std::move(row));
                continue;
            }
            if (check == clser::kErrPortInUse) {
                row.camera = "PortInUse";
            } else {
                if (!identify(row))
                    return ScanResult::Refused;
                if (row.camera.empty())
                    row.camera = "none";
            }
            if (Listed(row.camera, link.m_nConfigIndex))
                AddRow(std::move(row));
        }
    }
    link.Close();

    if (scanCom) {
        for (const std::string& port : m_listPorts()) {
            if (current && HoldsComPort(*current, port)) {
                addCurrent(Row{port, "", "", kComPortRow, -1, ""});
                continue;
            }
            link.Close();
            const int opened = link.Init(port);
            if (Logging()) {
                CORVEL_LOG(OL_TRACE, 0, kSource, kOnInitDialog, L"Initialized <%s> with error = %d 0x%x", port.c_str(),
                           opened, static_cast<unsigned>(opened));
                if (opened != 0)
                    CORVEL_LOG(OL_TRACE, 0, kSource, kOnInitDialog, L"%ls", kInitResultCodes);
            }
            // A port that cannot be opened has no row; one without a camera is listed, so it
            // can be chosen before its camera is switched on.
            if (opened < 0)
                continue;
            Row row{port, "", "", kComPortRow, -1, ""};
            if (!identify(row))
                return ScanResult::Refused;
            const std::string camera = row.camera;
            if (Listed(row.camera, link.m_nConfigIndex))
                AddRow(std::move(row));
            if (Logging())
                CORVEL_LOG(OL_TRACE, 0, kSource, kOnInitDialog, L"%s --- %s", port.c_str(), camera.c_str());
        }
    }

    if (preselected >= 0) {
        m_pList->setFocus();
        SetCurrentRow(preselected);
    } else if (!m_Rows.empty()) {
        SetCurrentRow(0);
    }
    return ScanResult::Listed;
}

void CPortSelector::OnOK()
{
    const int index = CurrentRow();
    if (index >= 0 && index < static_cast<int>(m_Rows.size())) {
        const Row& row = m_Rows[static_cast<std::size_t>(index)];
        if (row.portIndex >= 0) {
            m_strSelected = row.path;
            m_nSelectedPort = row.portIndex;
            m_nSelectedBaud = row.baudRate;
            m_bSelectedLibrary = true;
        } else if (row.portIndex == kComPortRow) {
            m_strSelected = row.port;
            m_nSelectedPort = 0;
            m_bSelectedLibrary = false;
        }
        // An error row names no port: nothing is taken, and the flow asks again.
    }
    ClearRows();
    done(QDialog::Accepted);
}

void CPortSelector::OnCancel()
{
    ClearRows();
    done(QDialog::Rejected);
}

bool CPortSelector::Run(PortChoice& choice)
{
    m_strSelected.clear();
    m_nSelectedPort = -1;
    m_bEndedByScan = false;
    // A register map that cannot be loaded still shows the (empty) list.
    OnInitDialog();
    if (m_bEndedByScan || exec() != QDialog::Accepted)
        return false;
    choice.name = m_strSelected;
    choice.portIndex = m_nSelectedPort;
    choice.baudRate = m_nSelectedBaud;
    choice.isLibrary = m_bSelectedLibrary;
    return true;
}
