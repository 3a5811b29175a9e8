#include "CAboutDlg.h"

#include "CCorvel_5App.h"

#include "camera/CameraLink.h"
#include "catalogues/ConfigurationTable.h"
#include "controls/DlgItem.h"
#include "controls/IconResource.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <optional>

namespace about {

namespace {
QString Printf(const char* format, unsigned a, unsigned b = 0, unsigned c = 0, unsigned d = 0)
{
    char text[64];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    return QString::fromLatin1(text);
}
}  // namespace

QString FirmwareBuildText(std::int64_t value)
{
    return Printf("%.4X", static_cast<unsigned>(value));
}

QString FirmwareRevisionText(std::int64_t value)
{
    const auto v = static_cast<unsigned>(value);
    return Printf("%.2X.%.2X.%.2X", (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

QString FirmwareImageText(std::int64_t value)
{
    switch (value) {
    case 10: return QStringLiteral("Application");
    case 15: return QStringLiteral("Factory");
    case 12: return QStringLiteral("Custom");
    default: return {};
    }
}

QString ColorVersionText(std::int64_t value)
{
    switch (value) {
    case 12: return QStringLiteral("Color");
    case 10: return QStringLiteral("TrueSense");
    default: return QStringLiteral("Mono");
    }
}

QString CustomIdText(std::int64_t value)
{
    const auto v = static_cast<unsigned>(value);
    return Printf("%.2X.%.2X", (v >> 8) & 0xFF, v & 0xFF);
}

QString RgsVersionText(std::int64_t value)
{
    const auto v = static_cast<unsigned>(value);
    return Printf("%.1X.%.1X.%.1X.%.1X", (v >> 12) & 0xF, (v >> 8) & 0xF, (v >> 4) & 0xF, v & 0xF);
}

QString CameraFamilyText(int configIndex)
{
    if (static_cast<unsigned>(configIndex) >= static_cast<unsigned>(kConfigurationCount))
        return QStringLiteral("Unknown");
    const char* name = ConfigurationRowFor(configIndex).displayName;
    return name ? QString::fromLatin1(name) : QString();
}

QString DateText(const std::string& date1, const std::string& date2)
{
    const std::string day = date1.substr(0, 2);
    const std::string month = date1.size() > 2 ? date1.substr(2, 2) : std::string();
    return QString::fromLatin1(day + "/" + month + "/" + date2);
}

}  // namespace about

namespace {

constexpr std::size_t kTextCapacity = 10;

/// A text parameter read with the box's 10-byte buffer; nothing when the read fails.
std::optional<std::string> ReadText(CCameraLink& link, const char* name)
{
    char buffer[kTextCapacity] = {};
    std::size_t length = sizeof buffer;
    if (link.GetParamString(name, buffer, &length) != 0)
        return std::nullopt;
    buffer[kTextCapacity - 1] = 0;
    return std::string(buffer);
}

/// The field's text from the integer parameter, or empty when the read fails.
QString IntField(CCameraLink& link, const char* name, QString (*format)(std::int64_t))
{
    std::int64_t value = 0;
    if (link.GetParamInt(name, &value) != 0)
        return {};
    return format(value);
}

/// The texts of `names` joined by `separator`; empty when any of them cannot be read.
QString TextField(CCameraLink& link, std::initializer_list<const char*> names, const char* separator = "")
{
    QString field;
    bool first = true;
    for (const char* name : names) {
        const std::optional<std::string> text = ReadText(link, name);
        if (!text)
            return {};
        if (!first)
            field += QString::fromLatin1(separator);
        field += QString::fromLatin1(*text);
        first = false;
    }
    return field;
}

struct FieldSpec {
    int id;
    const char* label;
    QString CAboutDlg::*field;
};

const FieldSpec kFields[] = {
    {CAboutDlg::IDC_FW_VERSION, "Firmware Version:", &CAboutDlg::m_strFirmwareVersion},
    {CAboutDlg::IDC_ASSEMBLY_PART, "Assembly Part Number:", &CAboutDlg::m_strAssemblyPartNumber},
    {CAboutDlg::IDC_ASSEMBLY_SERIAL, "Asembly Serial Number:", &CAboutDlg::m_strAssemblySerialNumber},
    {CAboutDlg::IDC_CCD_SERIAL, "CCD Serial Number:", &CAboutDlg::m_strCcdSerialNumber},
    {CAboutDlg::IDC_DATE, "Date of Manufacturer:", &CAboutDlg::m_strDateOfManufacture},
    {CAboutDlg::IDC_CAMERA_TYPE, "Camera Type:", &CAboutDlg::m_strCameraType},
    {CAboutDlg::IDC_CUSTOM_VERSION, "Custom Version:", &CAboutDlg::m_strCustomVersion},
    {CAboutDlg::IDC_FW_IMAGE, "Firmware Image ID:", &CAboutDlg::m_strFirmwareImage},
    {CAboutDlg::IDC_COLOR_VERSION, "Color Version:", &CAboutDlg::m_strColorVersion},
    {CAboutDlg::IDC_RGS_VERSION, "RGS Version:", &CAboutDlg::m_strRgsVersion},
    {CAboutDlg::IDC_FW_BUILD, "Firmware Build:", &CAboutDlg::m_strFirmwareBuild},
    {CAboutDlg::IDC_CAMERA_FAMILY, "Camera Family ID:", &CAboutDlg::m_strCameraFamily},
};

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Corvel"));
    wnd::SetDlgCtrlID(this, IDD);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(wnd::LoadIconResource(wnd::IDI_MAIN).pixmap(32, 32));
    top->addWidget(icon);
    top->addWidget(new QLabel(QStringLiteral("Corvel"), this));
    auto* version = new QLabel(this);
    wnd::SetDlgCtrlID(version, IDC_VERSION);
    top->addWidget(version);
    top->addStretch();
    layout->addLayout(top);
    auto* grid = new QGridLayout;
    int row = 0;
    for (const FieldSpec& spec : kFields) {
        grid->addWidget(new QLabel(QString::fromLatin1(spec.label), this), row, 0);
        auto* value = new QLabel(this);
        wnd::SetDlgCtrlID(value, spec.id);
        grid->addWidget(value, row++, 1);
    }
    layout->addLayout(grid);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    wnd::SetDlgCtrlID(ok, 1);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

bool CAboutDlg::OnInitDialog()
{
    m_bInitialized = true;
    m_strVersion = QString::fromStdWString(VersionText(ProgramFileVersion()));
    DoDataExchange();
    if (m_pLink) {
        ReadCamera();
        DoDataExchange();
    }
    return true;
}

void CAboutDlg::ReadCamera()
{
    CCameraLink& link = *m_pLink;
    // A field whose read fails stays empty: no value is made up for it.
    m_strFirmwareBuild = IntField(link, "FW_Build", about::FirmwareBuildText);
    m_strFirmwareVersion = IntField(link, "FW_Revision", about::FirmwareRevisionText);
    m_strFirmwareImage = IntField(link, "FW_Image", about::FirmwareImageText);
    m_strColorVersion = IntField(link, "CCD_Type", about::ColorVersionText);
    m_strCustomVersion = IntField(link, "Custom_ID", about::CustomIdText);

    m_strAssemblyPartNumber = TextField(link, {"MfgAPN1", "MfgAPN2", "MfgAPN3", "MfgAPN4"}, "-");
    m_strAssemblySerialNumber = TextField(link, {"MfgASN1", "MfgASN2"});
    m_strCcdSerialNumber = TextField(link, {"MfgCCD1", "MfgCCD2"});
    const std::optional<std::string> date1 = ReadText(link, "MfgDate1");
    const std::optional<std::string> date2 = ReadText(link, "MfgDate2");
    m_strDateOfManufacture = date1 && date2 ? about::DateText(*date1, *date2) : QString();
    m_strCameraType = TextField(link, {"MfgName1", "MfgName2", "MfgName3", "MfgName4"});
    // An erased (0xFF-filled) last part is not shown; an unreadable one empties the field, as
    // any other part does.
    const std::optional<std::string> last = ReadText(link, "MfgName5");
    const bool erased = last && last->size() >= 4 && last->compare(0, 4, "\xFF\xFF\xFF\xFF") == 0;
    if (!last)
        m_strCameraType.clear();
    else if (!erased)
        m_strCameraType += QString::fromLatin1(*last);

    m_strRgsVersion = IntField(link, "RGSIdNumber", about::RgsVersionText);
    m_strCameraFamily = about::CameraFamilyText(link.m_nConfigIndex);
}

QLabel* CAboutDlg::Field(int id) const
{
    return qobject_cast<QLabel*>(wnd::GetDlgItem(this, id));
}

void CAboutDlg::DoDataExchange()
{
    Field(IDC_VERSION)->setText(m_strVersion);
    for (const FieldSpec& spec : kFields)
        Field(spec.id)->setText(this->*spec.field);
}

QString CAboutDlg::ControlText(int id) const
{
    QLabel* label = Field(id);
    return label ? label->text() : QString();
}

void CAboutDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitialized)
        OnInitDialog();
    QDialog::showEvent(event);
}

CWarningDialog::CWarningDialog(QWidget* parent) : QDialog(parent), m_pOwner(parent)
{
    setWindowTitle(QStringLiteral("Warning"));
    wnd::SetDlgCtrlID(this, IDD);
    setModal(false);
    auto* layout = new QGridLayout(this);
    auto* icon = new QLabel(this);
    wnd::SetDlgCtrlID(icon, IDC_ICON);
    icon->setPixmap(wnd::LoadIconResource(wnd::IDI_WARNING).pixmap(32, 32));
    layout->addWidget(icon, 0, 0, 2, 1);
    layout->addWidget(new QLabel(QStringLiteral("The internal power protection was activated."), this), 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("Please reset the camera power."), this), 1, 1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    wnd::SetDlgCtrlID(ok, 1);
    ok->setDefault(true);
    // OK hides the window; the next poll that still reads the flag shows it again.
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);
    layout->addWidget(ok, 2, 0, 1, 2, Qt::AlignHCenter);
}

void CWarningDialog::CenterAndShow()
{
    adjustSize();
    if (m_pOwner) {
        const QRect owner = m_pOwner->frameGeometry();
        QPoint topLeft = owner.center() - QPoint(width() / 2, height() / 2);
        // Centred on the main window, yet whole on its screen, even with the window at an edge.
        if (const QScreen* shown = m_pOwner->screen()) {
            const QRect area = shown->availableGeometry();
            const QSize size = frameGeometry().size().expandedTo(this->size());
            topLeft.setX(std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width())));
            topLeft.setY(std::clamp(topLeft.y(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height())));
        }
        move(topLeft);
    }
    show();
}
