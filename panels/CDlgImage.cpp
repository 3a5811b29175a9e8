#include "panels/CDlgImage.h"

#include "camera/CameraLink.h"
#include "controls/Command.h"
#include "controls/DlgItem.h"
#include "controls/IconResource.h"
#include "controls/ParamBinding.h"
#include "controls/WindowIds.h"
#include "controls/WindowTimers.h"
#include "panels/ImagePanelLogic.h"
#include "panels/PanelNames.h"
#include "panels/PanelTemplate.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

#include <cstring>
#include <string>
#include <vector>

namespace names = panel_names::image;
using namespace image_panel;

namespace {

constexpr int kBinHorzRadios[3] = {CDlgImage::IDC_BIN_H1, CDlgImage::IDC_BIN_H2, CDlgImage::IDC_BIN_H4};
constexpr int kBinVertRadios[3] = {CDlgImage::IDC_BIN_V1, CDlgImage::IDC_BIN_V2, CDlgImage::IDC_BIN_V4};

struct AOIIds {
    int edit;
    int spin;
};
constexpr AOIIds kAOIIds[CDlgImage::AOIRecordCount] = {
    {CDlgImage::IDC_MASTER_HOFF, CDlgImage::IDC_MASTER_HOFF_SPIN},
    {CDlgImage::IDC_MASTER_VOFF, CDlgImage::IDC_MASTER_VOFF_SPIN},
    {CDlgImage::IDC_MASTER_WIDTH, CDlgImage::IDC_MASTER_WIDTH_SPIN},
    {CDlgImage::IDC_MASTER_HEIGHT, CDlgImage::IDC_MASTER_HEIGHT_SPIN},
    {CDlgImage::IDC_SLAVE_HOFF, CDlgImage::IDC_SLAVE_HOFF_SPIN},
    {CDlgImage::IDC_SLAVE_VOFF, CDlgImage::IDC_SLAVE_VOFF_SPIN},
    {CDlgImage::IDC_SLAVE_WIDTH, CDlgImage::IDC_SLAVE_WIDTH_SPIN},
    {CDlgImage::IDC_SLAVE_HEIGHT, CDlgImage::IDC_SLAVE_HEIGHT_SPIN},
};

// What the AOI collapse hides and moves.
constexpr int kSlaveGroup[] = {1624, 1629, 1630, 1631, 1632, 1633, 1634, 1635, 1522, 1524,
                               1526, 1528, 1499, 1523, 1525, 1527, 1529};
constexpr int kLeftStructureRows[] = {1636, 1501, 1637, 1503};
constexpr int kRightStructureRows[] = {1697, 1502, 1621, 1500};
constexpr int kCorrectionAndTest[] = {1628, 1639, 1640, 1505, 1534, 1535, 1536, 1506, 1507, 1642, 1643,
                                      1508, 1644, 1510, 1645, 1509, 1646, 1511, 1530, 1538, 1623, 1566,
                                      1567, 1647, 1512, 1622, 1539, 1540, 1542, 1513, 1541,
                                      // the Ping answer text, which must stay beside its icon
                                      1568};
constexpr int kMarginPx = 8;

int Bottom(const QRect& r)
{
    return r.y() + r.height();
}

bool Is(const _OrvStParam* param, const char* name)
{
    return std::strcmp(param->name, name) == 0;
}

int Checked(const QWidget* panel, int id)
{
    return CheckReading(qobject_cast<const QAbstractButton*>(wnd::GetDlgItem(panel, id)));
}

void SetChecked(const QWidget* panel, int id, int state)
{
    SetCheckReading(qobject_cast<QAbstractButton*>(wnd::GetDlgItem(panel, id)), state);
}

/// A flag's check state: 1, 0, or kCheckNoReading when the camera did not answer.
int CheckOf(std::optional<int> read)
{
    return read ? (*read != 0 ? 1 : 0) : kCheckNoReading;
}

}  // namespace

const char* const CDlgImage::kAOINames[AOIRecordCount] = {
    names::kMasterAOIHorOffset, names::kMasterAOIVerOffset, names::kMasterAOIWidth, names::kMasterAOIHeight,
    names::kSlaveAOIHorOffset,  names::kSlaveAOIVerOffset,  names::kSlaveAOIWidth,  names::kSlaveAOIHeight};

bool CDlgImage::s_bBinningWrite = false;

CDlgImage::CDlgImage(QWidget* pMainWnd, CCameraLink* pStorage, int nIDTemplate)
    : COptionDialog(nIDTemplate, pMainWnd, pStorage),
      m_structure{ComboParam(names::kTapsMode, IDC_TAPS, IDC_TAPS_LABEL),
                  ComboParam(names::kBitDepth, IDC_BIT_DEPTH, IDC_BIT_DEPTH_LABEL),
                  ComboParam(names::kBitShift, IDC_BIT_SHIFT, IDC_BIT_SHIFT_LABEL),
                  ComboParam(names::kOutputFormat, IDC_OUTPUT_FORMAT, IDC_OUTPUT_FORMAT_LABEL)},
      m_correction{ComboParam(names::kHPCEnable, IDC_HPC, IDC_HPC_LABEL),
                   ComboParam(names::kFFCEnable, IDC_FFC, IDC_FFC_LABEL),
                   ComboParam(names::kLUTEnable, IDC_LUT, IDC_LUT_LABEL),
                   ComboParam(names::kBlackLevelEnable, IDC_BLACK_LEVEL, IDC_BLACK_LEVEL_LABEL),
                   ComboParam(names::kSmearingMode, IDC_SMEAR, IDC_SMEAR_LABEL)},
      m_testMode(names::kTestMode, IDC_TEST_MODE),
      m_slaveMode(names::kSlaveAOIMode, IDC_SLAVE_MODE),
      m_pTimers(new wnd::CWndTimers(this, [this](unsigned id) { OnTimer(id); }))
{
}

CDlgImage::~CDlgImage() = default;

// ---- template and data exchange ----

void CDlgImage::BuildTemplate()
{
    panel_template::Build(this, ImageTemplateItems(), kImageTemplateWidth, kImageTemplateHeight);
}

bool CDlgImage::OnPreInitDialog()
{
    m_hpcThreshold.m_nId = m_hpcThreshold.m_nSliderId = IDC_HPC_SLIDER;
    m_hpcThreshold.m_nEditId = IDC_HPC_EDIT;
    m_hpcThreshold.m_nSpinId = IDC_HPC_SPIN;
    m_hpcThreshold.m_nMinLabelId = IDC_HPC_MIN;
    m_hpcThreshold.m_nMaxLabelId = IDC_HPC_MAX;
    m_hpcThreshold.m_hParent = this;
    m_brightness.m_nId = m_brightness.m_nSliderId = IDC_BRIGHTNESS_SLIDER;
    m_brightness.m_nEditId = IDC_BRIGHTNESS_EDIT;
    m_brightness.m_nSpinId = IDC_BRIGHTNESS_SPIN;
    m_brightness.m_nMinLabelId = IDC_BRIGHTNESS_MIN;
    m_brightness.m_nMaxLabelId = IDC_BRIGHTNESS_MAX;
    m_brightness.m_hParent = this;
    for (int i = 0; i < AOIRecordCount; ++i) {
        m_aoi[i].m_nEditId = kAOIIds[i].edit;
        m_aoi[i].m_nSpinId = kAOIIds[i].spin;
    }
    return true;
}

void CDlgImage::DoDataExchange(bool save)
{
    for (ComboParam& combo : m_structure)
        combo.Exchange(save);
    for (ComboParam& combo : m_correction)
        combo.Exchange(save);
    m_testMode.Exchange(save);
    m_slaveMode.Exchange(save);
    struct Check {
        int id;
        int& state;
    };
    for (const Check& check : {Check{IDC_MIRROR, m_nMirror}, Check{IDC_KEEP_FRAME_RATE, m_nKeepFrameRate},
                               Check{IDC_NEGATIVE, m_nNegative}}) {
        if (save)
            check.state = Checked(this, check.id);
        else
            SetChecked(this, check.id, check.state);
    }
    m_hpcThreshold.DataExchange(this, save);
    m_brightness.DataExchange(this, save);
    for (CEditSpin& record : m_aoi)
        record.DataExchange(this);
}

// ---- reading the camera ----

int CDlgImage::ReadInt(const char* name)
{
    return Read(name).value_or(0);
}

std::optional<int> CDlgImage::Read(const char* name)
{
    std::int64_t value = 0;
    if (!m_pStorage || m_pStorage->GetParamInt(name, &value) != 0)
        return std::nullopt;
    return static_cast<int>(value);
}

bool CDlgImage::Record(const char* name, _OrvStParam& record) const
{
    // A parameter that is absent leaves no limits of another one behind.
    record = _OrvStParam{};
    if (IsParamDefined(name, &record))
        return true;
    record = _OrvStParam{};
    return false;
}

void CDlgImage::ReloadFrameValues()
{
    m_binHorzRead = Read(names::kBinHorzMode);
    m_binVertRead = Read(names::kBinVertMode);
    m_nBinHorzMode = m_binHorzRead.value_or(0);
    m_nBinVertMode = m_binVertRead.value_or(0);
    m_nHorFrameSizeMin = ReadInt(names::kHorFrameSizeMin);
    m_nHorFrameSizeMax = ReadInt(names::kHorFrameSizeMax);
    m_nVerFrameSizeMin = ReadInt(names::kVerFrameSizeMin);
    m_nVerFrameSizeMax = ReadInt(names::kVerFrameSizeMax);
    for (ComboParam& combo : m_structure)
        combo.SetRead(Read(combo.m_pszName));
    m_nKeepFrameRate = CheckOf(Read(names::kConstFRateEnable));
    m_nNegative = CheckOf(Read(names::kNegative));
}

void CDlgImage::ReloadValues()
{
    if (!CanRefresh())
        return;
    ReloadFrameValues();
    for (ComboParam& combo : m_correction)
        combo.SetRead(Read(combo.m_pszName));
    m_testMode.SetRead(Read(names::kTestMode));
}

bool CDlgImage::RefreshFromStorage()
{
    if (!CanRefresh())
        return true;
    ReloadValues();
    LoadIcons();
    RefreshStructure();
    RemoveTwelveBitDepth();
    RefreshChecks();
    CutTapChoices();
    RefreshCorrections();
    RefreshTestMode();
    RefreshSlaveAOI();
    RefreshMasterAOI();
    RefreshBinning();
    UpdateData(false);
    return true;
}

void CDlgImage::LoadIcons()
{
    if (m_bIconsLoaded)
        return;
    const int ids[4] = {IDI_PING_IDLE, IDI_PING_BUSY, IDI_PING_OK, IDI_PING_NO_ANSWER};
    for (int i = 0; i < 4; ++i)
        m_icons[static_cast<std::size_t>(i)] = wnd::LoadIconResource(ids[i]);
    m_bIconsLoaded = true;
    ShowPingState(IDI_PING_IDLE, nullptr);
}

std::span<const int> CDlgImage::SlaveGroupIds()
{
    return kSlaveGroup;
}

void CDlgImage::RefreshStructure()
{
    for (ComboParam& combo : m_structure) {
        combo.Fill(this, m_pStorage, m_pXmlDoc.get());
        ListenTo(combo.m_pszName);
    }
}

void CDlgImage::RemoveTwelveBitDepth()
{
    if (!DropsTwelveBitDepth(m_pStorage->m_nConfigIndex, m_pStorage->m_nTapsAllowed))
        return;
    ComboParam& bitDepth = m_structure[1];
    const QComboBox* combo = bitDepth.Combo();
    if (!combo)
        return;
    std::vector<std::string> texts;
    for (int i = 0; i < combo->count(); ++i)
        texts.push_back(combo->itemText(i).toStdString());
    // The first match after item 0, item 0 itself last.
    bitDepth.RemoveItem(FindItemWithPrefix(texts, "12", 0));
}

void CDlgImage::RefreshChecks()
{
    _OrvStParam record;
    const bool mirror = Record(names::kMirrorEnable, record);
    ShowItem(IDC_MIRROR, mirror);
    if (mirror) {
        m_nMirror = CheckOf(Read(names::kMirrorEnable));
        ListenTo(names::kMirrorEnable);
    }
    ListenTo(names::kConstFRateEnable);
    ListenTo(names::kNegative);
}

void CDlgImage::CutTapChoices()
{
    if (!m_bDebugMode)
        m_structure[0].KeepFirst(TapChoicesAllowed(m_pStorage->m_nTapsAllowed));
}

void CDlgImage::RefreshCorrections()
{
    for (ComboParam& combo : m_correction) {
        combo.Fill(this, m_pStorage, m_pXmlDoc.get());
        ListenTo(combo.m_pszName);
    }
    _OrvStParam record;
    if (Record(names::kHPCThreshold, record)) {
        ShowItem(IDC_HPC_THRESHOLD_LABEL, true);
        m_hpcThreshold.Show(1);
        m_hpcThreshold.SetRangeRead(static_cast<int>(record.min.n), static_cast<int>(record.max.n),
                                    Read(names::kHPCThreshold), true);
        ListenTo(names::kHPCThreshold);
    } else {
        m_hpcThreshold.SetRange(0, 0, 0, true);
        ShowItem(IDC_HPC_THRESHOLD_LABEL, false);
        m_hpcThreshold.Show(0);
    }
}

void CDlgImage::RefreshTestMode()
{
    m_testMode.Fill(this, m_pStorage, m_pXmlDoc.get());
    ListenTo(names::kTestMode);
    _OrvStParam record;
    if (Record(names::kBrightnessLevel, record)) {
        m_brightness.SetRangeRead(static_cast<int>(record.min.n), static_cast<int>(record.max.n),
                                  Read(names::kBrightnessLevel), true);
        ListenTo(names::kBrightnessLevel);
    } else {
        LayoutGroups();
    }
}

void CDlgImage::RefreshSlaveAOI()
{
    _OrvStParam record;
    if (!Record(names::kSlaveAOIMode, record)) {
        m_bSlavePresent = false;
        LayoutAOI();
        return;
    }
    m_slaveMode.SetRead(Read(names::kSlaveAOIMode));
    m_slaveMode.Fill(this, m_pStorage, m_pXmlDoc.get());
    ListenTo(names::kSlaveAOIMode);
    Record(names::kSlaveAOIWidth, record);
    for (int i = SlaveHorOffset; i <= SlaveHeight; ++i)
        m_aoi[i].SetRangeRead(static_cast<int>(record.min.n), static_cast<int>(record.max.n), Read(kAOINames[i]));
    for (int i = SlaveHorOffset; i <= SlaveHeight; ++i)
        ListenTo(kAOINames[i]);
    m_bSlavePresent = true;
}

void CDlgImage::RefreshMasterAOI()
{
    _OrvStParam record;
    // All four edits share the width's limits.
    Record(names::kMasterAOIWidth, record);
    for (int i = MasterHorOffset; i <= MasterHeight; ++i)
        m_aoi[i].SetRangeRead(static_cast<int>(record.min.n), static_cast<int>(record.max.n), Read(kAOINames[i]));
    for (int i = MasterHorOffset; i <= MasterHeight; ++i)
        ListenTo(kAOINames[i]);
}

void CDlgImage::RefreshBinning()
{
    // A mode the camera did not answer shows no radio checked.
    if (!m_binHorzRead)
        SetRadioGroup(this, 0, kBinHorzRadios);
    else if (BinningRadioIndex(m_nBinHorzMode) >= 0)
        SetRadioGroup(this, kBinHorzRadios[BinningRadioIndex(m_nBinHorzMode)], kBinHorzRadios);
    ListenTo(names::kBinHorzMode);
    if (!m_binVertRead)
        SetRadioGroup(this, 0, kBinVertRadios);
    else if (BinningRadioIndex(m_nBinVertMode) >= 0)
        SetRadioGroup(this, kBinVertRadios[BinningRadioIndex(m_nBinVertMode)], kBinVertRadios);
    ListenTo(names::kBinVertMode);
}

// ---- collapses ----

void CDlgImage::LayoutGroups()
{
    m_brightness.SetRange(0, 0, 0, true);
    ShowItem(IDC_BRIGHTNESS_LABEL, false);
    m_brightness.Show(0);
    QWidget* box = GetDlgItem(IDC_TEST_BOX);
    const QRect ping = panel_template::RectOf(this, IDC_PING);
    if (!box || ping.isNull())
        return;
    box->resize(box->width(), Bottom(ping) + kMarginPx - box->y());
    panel_template::FitHeightBelow(this, IDC_TEST_BOX, kMarginPx);
}

void CDlgImage::LayoutAOI()
{
    using panel_template::MoveBy;
    using panel_template::RectOf;
    panel_template::Hide(this, kSlaveGroup);
    if (auto* master = qobject_cast<QGroupBox*>(GetDlgItem(IDC_MASTER_BOX)))
        master->setTitle(QStringLiteral("Image AOI"));

    const QRect slave = RectOf(this, IDC_SLAVE_BOX);
    QWidget* structure = GetDlgItem(IDC_STRUCTURE_BOX);
    if (structure && !slave.isNull()) {
        const QPoint d = slave.topLeft() - structure->geometry().topLeft();
        if (!d.isNull()) {
            structure->setGeometry(slave);
            for (int id : kLeftStructureRows)
                MoveBy(this, id, d.x(), d.y());
            // The taps and format rows keep their column and stack below the bit-depth row.
            const int down = d.y() + Bottom(RectOf(this, IDC_BIT_DEPTH)) - slave.y();
            for (int id : kRightStructureRows)
                MoveBy(this, id, 0, down);
        }
    }

    const QRect correction = RectOf(this, IDC_CORRECTION_BOX);
    const QRect master = RectOf(this, IDC_MASTER_BOX);
    if (!correction.isNull() && !master.isNull()) {
        const int up = correction.y() - Bottom(master);
        if (up != 0)
            for (int id : kCorrectionAndTest)
                MoveBy(this, id, 0, -up);
    }
    panel_template::FitHeightBelow(this, IDC_TEST_BOX, kMarginPx);
}

// ---- the operator's actions ----

bool CDlgImage::OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam)
{
    const int id = static_cast<int>(wnd::LoWord(wParam));
    const unsigned code = wnd::HiWord(wParam);

    if (code == wnd::BN_CLICKED) {
        for (int i = 0; i < 3; ++i) {
            const char* name = id == kBinHorzRadios[i] ? names::kBinHorzMode
                               : id == kBinVertRadios[i] ? names::kBinVertMode
                                                         : nullptr;
            if (!name)
                continue;
            OnBinningRadio(name, kBinningValues[i]);
            return true;
        }
        switch (id) {
        case IDC_PING: OnBnClickedPing(); return true;
        case IDC_MIRROR: OnBnClickedMirror(); return true;
        case IDC_KEEP_FRAME_RATE: OnBnClickedKeepFrameRate(); return true;
        case IDC_NEGATIVE: OnBnClickedNegative(); return true;
        default: break;
        }
    }

    if (code == wnd::CBN_SELCHANGE) {
        if (id == IDC_TEST_MODE) {
            OnCbnSelchangeTestMode();
            return true;
        }
        if (id == IDC_SLAVE_MODE) {
            OnCbnSelchangeSlaveAOIMode();
            return true;
        }
        for (int i = 0; i < static_cast<int>(m_structure.size()); ++i)
            if (id == m_structure[static_cast<std::size_t>(i)].m_nComboId) {
                SetComboParam(i);
                return true;
            }
        for (int i = 0; i < static_cast<int>(m_correction.size()); ++i)
            if (id == m_correction[static_cast<std::size_t>(i)].m_nComboId) {
                SetCorrectionParam(i);
                return true;
            }
    }

    if (code == wnd::EN_KILLFOCUS) {
        if (id == IDC_HPC_EDIT) {
            if (m_hpcThreshold.OnEditCommit() == 1)
                SetHPCThreshold(m_hpcThreshold.m_nValue);
            return true;
        }
        if (id == IDC_BRIGHTNESS_EDIT) {
            if (m_brightness.OnEditCommit() == 1)
                SetBrightness(m_brightness.m_nValue);
            return true;
        }
    }

    bool handled = false;
    const int records = m_bSlavePresent ? AOIRecordCount : SlaveHorOffset;
    for (int i = 0; i < records; ++i) {
        const int result = m_aoi[i].OnCommand(wParam);
        if (result != 0)
            handled = true;
        if (result == 1)
            SetAOI(i, m_aoi[i].m_nValue);
    }
    return handled || COptionDialog::OnCommand(wParam, lParam);
}

void CDlgImage::OnHScroll(unsigned code, int pos, QWidget* scrollBar)
{
    if (m_nHScrollBusy.exchange(1))
        return;
    if (m_hpcThreshold.OnHScroll(code, pos, scrollBar) == 1)
        SetHPCThreshold(m_hpcThreshold.m_nValue);
    if (m_brightness.OnHScroll(code, pos, scrollBar) == 1)
        SetBrightness(m_brightness.m_nValue);
    m_nHScrollBusy = 0;
}

void CDlgImage::OnVScroll(unsigned code, int pos, QWidget* scrollBar)
{
    if (m_nVScrollBusy.exchange(1))
        return;
    if (m_hpcThreshold.OnVScroll(code, pos, scrollBar) == 1)
        SetHPCThreshold(m_hpcThreshold.m_nValue);
    if (m_brightness.OnVScroll(code, pos, scrollBar) == 1)
        SetBrightness(m_brightness.m_nValue);
    const int records = m_bSlavePresent ? AOIRecordCount : SlaveHorOffset;
    for (int i = 0; i < records; ++i)
        if (m_aoi[i].OnVScroll(code, pos, scrollBar) == 1)
            SetAOI(i, m_aoi[i].m_nValue);
    m_nVScrollBusy = 0;
}

void CDlgImage::SetComboParam(int index)
{
    UpdateData(true);
    ComboParam& combo = m_structure[static_cast<std::size_t>(index)];
    if (const auto value = combo.SelectedValue()) {
        combo.m_nValue = *value;
        WriteParamInt(combo.m_pszName, *value);
    }
}

void CDlgImage::SetCorrectionParam(int index)
{
    UpdateData(true);
    ComboParam& combo = m_correction[static_cast<std::size_t>(index)];
    if (const auto value = combo.SelectedValue()) {
        combo.m_nValue = *value;
        WriteParamInt(combo.m_pszName, *value);
    }
}

void CDlgImage::OnCbnSelchangeTestMode()
{
    UpdateData(true);
    if (const auto value = m_testMode.SelectedValue()) {
        m_testMode.m_nValue = *value;
        WriteParamInt(names::kTestMode, *value);
    }
}

void CDlgImage::OnCbnSelchangeSlaveAOIMode()
{
    UpdateData(true);
    if (const auto value = m_slaveMode.SelectedValue()) {
        m_slaveMode.m_nValue = *value;
        WriteParamInt(names::kSlaveAOIMode, *value);
    }
}

void CDlgImage::OnBnClickedMirror()
{
    UpdateData(true);
    WriteParamInt(names::kMirrorEnable, m_nMirror);
}

void CDlgImage::OnBnClickedKeepFrameRate()
{
    UpdateData(true);
    WriteParamInt(names::kConstFRateEnable, m_nKeepFrameRate);
}

void CDlgImage::OnBnClickedNegative()
{
    UpdateData(true);
    WriteParamInt(names::kNegative, m_nNegative);
}

void CDlgImage::SetHPCThreshold(int value)
{
    WriteParamInt(names::kHPCThreshold, value);
}

void CDlgImage::SetBrightness(int value)
{
    WriteParamInt(names::kBrightnessLevel, value);
}

int CDlgImage::SetAOI(int record, int value)
{
    if (record < 0 || record >= AOIRecordCount)
        return value;
    WriteParamInt(kAOINames[record], value);
    return value;
}

void CDlgImage::OnBinningRadio(const char* name, int value)
{
    // A radio checked by the window system while the panel is activated is no choice.
    if (m_bActivating)
        return;
    (std::strcmp(name, names::kBinHorzMode) == 0 ? m_nBinHorzMode : m_nBinVertMode) = value;
    WriteBinning(name, value);
}

bool& CDlgImage::BinningWriteFlag()
{
    return s_bBinningWrite;
}

void CDlgImage::WriteBinning(const char* name, int value)
{
    bool& busy = BinningWriteFlag();
    if (busy)
        return;
    busy = true;
    WriteParamInt(name, value, true);
    busy = false;
}

// ---- Ping ----

void CDlgImage::ShowPingState(int iconId, const char* text)
{
    auto* icon = qobject_cast<QLabel*>(GetDlgItem(IDC_PING_ICON));
    if (icon) {
        const int index = iconId == IDI_PING_BUSY ? 1 : iconId == IDI_PING_OK ? 2 : iconId == IDI_PING_NO_ANSWER ? 3 : 0;
        icon->setProperty(kIconIdProperty, iconId);
        SetStaticIcon(icon, m_icons[static_cast<std::size_t>(index)]);
    }
    if (auto* label = qobject_cast<QLabel*>(GetDlgItem(IDC_PING_TEXT)))
        label->setText(QString::fromLatin1(text ? text : ""));
}

void CDlgImage::OnBnClickedPing()
{
    m_pTimers->KillTimer(kPingReadTimer);
    m_pTimers->KillTimer(kPingClearTimer);
    ShowPingState(IDI_PING_BUSY, nullptr);
    m_pTimers->SetTimer(kPingReadTimer, kPingReadDelayMs);
}

void CDlgImage::OnTimer(unsigned id)
{
    if (id == kPingReadTimer) {
        m_pTimers->KillTimer(kPingReadTimer);
        bool answer = false;
        if (m_pStorage && m_pStorage->GetParamBool(names::kPing, &answer) == 0 && answer) {
            ShowPingState(IDI_PING_OK, "OK");
            m_pTimers->SetTimer(kPingClearTimer, kPingOkShownMs);
        } else {
            ShowPingState(IDI_PING_NO_ANSWER, "ERR");
            m_pTimers->SetTimer(kPingClearTimer, kPingErrorShownMs);
        }
    } else if (id == kPingClearTimer) {
        m_pTimers->KillTimer(kPingClearTimer);
        ShowPingState(IDI_PING_IDLE, nullptr);
    }
}

// ---- changes made elsewhere ----

void CDlgImage::OnParamChanged(const _OrvStParam* param)
{
    if (!param)
        return;
    const int value = static_cast<int>(param->value.n);

    for (ComboParam* combo : {&m_structure[0], &m_structure[1], &m_structure[2], &m_structure[3], &m_correction[0],
                              &m_correction[1], &m_correction[2], &m_correction[3], &m_correction[4], &m_testMode,
                              &m_slaveMode})
        if (Is(param, combo->m_pszName)) {
            combo->OnValueChanged(value);
            UpdateData(false);
            return;
        }

    if (Is(param, names::kHPCThreshold) || Is(param, names::kBrightnessLevel)) {
        CSliderEditSpin& group = Is(param, names::kHPCThreshold) ? m_hpcThreshold : m_brightness;
        group.SetValue(value, false);
    } else if (Is(param, names::kMirrorEnable)) {
        m_nMirror = value != 0 ? 1 : 0;
    } else if (Is(param, names::kConstFRateEnable)) {
        m_nKeepFrameRate = value != 0 ? 1 : 0;
    } else if (Is(param, names::kNegative)) {
        m_nNegative = value != 0 ? 1 : 0;
    } else if (Is(param, names::kBinHorzMode) || Is(param, names::kBinVertMode)) {
        const int radio = BinningRadioIndex(value);
        if (radio < 0)
            return;
        if (Is(param, names::kBinHorzMode)) {
            m_nBinHorzMode = value;
            SetRadioGroup(this, kBinHorzRadios[radio], kBinHorzRadios);
        } else {
            m_nBinVertMode = value;
            SetRadioGroup(this, kBinVertRadios[radio], kBinVertRadios);
        }
        return;
    } else {
        const int records = m_bSlavePresent ? AOIRecordCount : SlaveHorOffset;
        for (int i = 0; i < records; ++i)
            if (Is(param, kAOINames[i])) {
                // Shown within the edit's range and written back as shown: the camera holds
                // what the panel shows.
                m_aoi[i].SetValue(value, false);
                SetAOI(i, m_aoi[i].m_nValue);
                break;
            }
    }
    UpdateData(false);
}

void CDlgImage::ShowItem(int id, bool show)
{
    if (QWidget* item = GetDlgItem(id))
        item->setVisible(show);
}
