#include "panels/CDlgImageKelmir.h"

#include "camera/CameraLink.h"
#include "controls/Command.h"
#include "controls/DlgItem.h"
#include "controls/ParamBinding.h"
#include "controls/WindowIds.h"
#include "panels/ImagePanelLogic.h"
#include "panels/PanelNames.h"
#include "panels/PanelTemplate.h"

#include <QComboBox>
#include <QGroupBox>

#include <algorithm>
#include <cstring>

namespace names = panel_names::image;
using namespace image_panel;

namespace {

// What the AOI collapse moves up into the slave group's room.
constexpr int kBelowSlave[] = {1627, 1636, 1501, 1569, 1502, 1637, 1503, 1621, 1500, 1537, 1530, 1538, 1628,
                               1638, 1504, 1543, 1639, 1531, 1532, 1533, 1640, 1505, 1544, 1534, 1535, 1536,
                               1564, 1565, 1506, 1507, 1642, 1643, 1508, 1644, 1510, 1645, 1509, 1646, 1511,
                               1623, 1566, 1567, 1647, 1512, 1622, 1539, 1540, 1542, 1513, 1541,
                               // the Ping answer text, which must stay beside its icon
                               1568};
constexpr int kMarginPx = 8;

bool Is(const _OrvStParam* param, const char* name)
{
    return std::strcmp(param->name, name) == 0;
}

int Bottom(const QRect& r)
{
    return r.y() + r.height();
}

}  // namespace

bool CDlgImageKelmir::s_bBinningWrite = false;

CDlgImageKelmir::CDlgImageKelmir(QWidget* pMainWnd, CCameraLink* pStorage)
    : CDlgImage(pMainWnd, pStorage, IDD),
      m_corrections{ComboParam(names::kDPCEnable, IDC_DPC_ENABLE, IDC_DPC_LABEL),
                    ComboParam(names::kDPCSelect, IDC_DPC_SELECT, IDC_DPC_LABEL),
                    ComboParam(names::kHPCEnable, IDC_HPC_ENABLE, IDC_HPC_LABEL),
                    ComboParam(names::kHPCSelect, IDC_HPC_SELECT, IDC_HPC_LABEL),
                    ComboParam(names::kFFCSelect, IDC_FFC, IDC_FFC_LABEL),
                    ComboParam(names::kLUTSelect, IDC_LUT, IDC_LUT_LABEL),
                    ComboParam(names::kBlackLevelEnable, IDC_BLACK_LEVEL, IDC_BLACK_LEVEL_LABEL),
                    ComboParam(names::kSmearingMode, IDC_SMEAR, IDC_SMEAR_LABEL)}
{
    // The structure combos are filled without labels: an absent bit depth or shift leaves its
    // label, and the taps and format labels follow rules of their own.
    for (ComboParam& combo : m_structure)
        combo.m_nLabelId = 0;
}

void CDlgImageKelmir::BuildTemplate()
{
    panel_template::Build(this, ImageKelmirTemplateItems(), kImageKelmirTemplateWidth, kImageKelmirTemplateHeight);
}

bool CDlgImageKelmir::OnPreInitDialog()
{
    CDlgImage::OnPreInitDialog();
    m_dpcThreshold.m_nId = m_dpcThreshold.m_nSliderId = IDC_DPC_SLIDER;
    m_dpcThreshold.m_nEditId = IDC_DPC_EDIT;
    m_dpcThreshold.m_nSpinId = IDC_DPC_SPIN;
    m_dpcThreshold.m_nMinLabelId = IDC_DPC_MIN;
    m_dpcThreshold.m_nMaxLabelId = IDC_DPC_MAX;
    m_dpcThreshold.m_hParent = this;
    return true;
}

void CDlgImageKelmir::DoDataExchange(bool save)
{
    CDlgImage::DoDataExchange(save);
    for (ComboParam& combo : m_corrections)
        combo.Exchange(save);
    m_dpcThreshold.DataExchange(this, save);
}

// ---- reading the camera ----

void CDlgImageKelmir::ReloadValues()
{
    if (!CanRefresh())
        return;
    ReloadFrameValues();
    const std::optional<int> mirror = Read(names::kMirrorEnable);
    m_nMirror = mirror ? (*mirror != 0 ? 1 : 0) : kCheckNoReading;
    for (ComboParam& combo : m_corrections)
        combo.SetRead(Read(combo.m_pszName));
    const std::optional<int> ffc = Read(names::kFFCEnable);
    const std::optional<int> lut = Read(names::kLUTEnable);
    m_ffcEnableRead = ffc.has_value();
    m_lutEnableRead = lut.has_value();
    m_nFFCEnable = ffc.value_or(0);
    m_nLUTEnable = lut.value_or(0);
    m_testMode.SetRead(Read(names::kTestMode));
}

bool CDlgImageKelmir::RefreshFromStorage()
{
    if (!CanRefresh())
        return true;
    ReloadValues();
    LoadIcons();
    RefreshKelmirStructure();
    RefreshKelmirChecks();
    RefreshKelmirCorrections();
    RefreshThresholds();
    RefreshTestMode();
    RefreshKelmirAOI();
    RefreshBinning();
    UpdateAOIEnabling();
    UpdateData(false);
    return true;
}

void CDlgImageKelmir::RefreshKelmirStructure()
{
    RefreshStructure();
    CutTapChoices();
    // One taps choice is no choice.
    const QComboBox* taps = m_structure[0].Combo();
    const bool showTaps = taps && !taps->isHidden() && taps->count() >= 2;
    ShowItem(IDC_TAPS, showTaps);
    ShowItem(IDC_TAPS_LABEL, showTaps);
    ShowItem(IDC_OUTPUT_FORMAT, true);
    ShowItem(IDC_FORMAT_LABEL, true);
}

void CDlgImageKelmir::RefreshKelmirChecks()
{
    ListenTo(names::kMirrorEnable);
    ListenTo(names::kConstFRateEnable);
    ListenTo(names::kNegative);
}

void CDlgImageKelmir::RefreshKelmirCorrections()
{
    std::array<bool, CorrectionCount> present{};
    for (int i = 0; i < CorrectionCount; ++i) {
        ComboParam& combo = m_corrections[static_cast<std::size_t>(i)];
        present[static_cast<std::size_t>(i)] = combo.Fill(this, m_pStorage, m_pXmlDoc.get());
        ListenTo(combo.m_pszName);
    }
    // A label shared by two combos goes with either of them.
    ShowItem(IDC_DPC_LABEL, present[DPCEnable] && present[DPCSelect]);
    ShowItem(IDC_HPC_LABEL, present[HPCEnable] && present[HPCSelect]);

    ListenTo(names::kFFCEnable);
    ListenTo(names::kLUTEnable);
    // A table shown "off" only when the camera said its switch is off; an unanswered switch
    // shows no choice.
    if (!m_ffcEnableRead)
        m_corrections[FFCSelect].m_nIndex = -1;
    else if (m_nFFCEnable == 0)
        m_corrections[FFCSelect].m_nIndex = 0;
    if (!m_lutEnableRead)
        m_corrections[LUTSelect].m_nIndex = -1;
    else if (m_nLUTEnable == 0)
        m_corrections[LUTSelect].m_nIndex = 0;
}

void CDlgImageKelmir::RefreshThresholds()
{
    struct Group {
        const char* name;
        CSliderEditSpin& group;
    };
    bool allPresent = true;
    for (const Group& g : {Group{names::kDPCThreshold, m_dpcThreshold}, Group{names::kHPCThreshold, m_hpcThreshold}}) {
        _OrvStParam record;
        if (Record(g.name, record)) {
            g.group.Show(1);
            g.group.SetRangeRead(static_cast<int>(record.min.n), static_cast<int>(record.max.n), Read(g.name), true);
            ListenTo(g.name);
        } else {
            allPresent = false;
            g.group.SetRange(0, 0, 0, true);
            g.group.Show(0);
        }
    }
    // The label serves both groups and goes with either.
    ShowItem(IDC_THRESHOLD_LABEL, allPresent);
}

void CDlgImageKelmir::RefreshKelmirAOI()
{
    _OrvStParam record;
    if (Record(names::kSlaveAOIMode, record)) {
        m_slaveMode.SetRead(Read(names::kSlaveAOIMode));
        m_slaveMode.Fill(this, m_pStorage, m_pXmlDoc.get());
        ListenTo(names::kSlaveAOIMode);
        RefreshAOIGroup(SlaveHorOffset, names::kSlaveAOIWidth);
    } else {
        LayoutAOI();
    }
    RefreshAOIGroup(MasterHorOffset, names::kMasterAOIWidth);
}

void CDlgImageKelmir::RefreshAOIGroup(int first, const char* widthName)
{
    _OrvStParam record;
    Record(widthName, record);
    const int catalogueMin = static_cast<int>(record.min.n);
    const int catalogueMax = static_cast<int>(record.max.n);
    struct Axis {
        int offset, size, sizeMin, frameMax;
    };
    for (const Axis& axis : {Axis{first, first + 2, m_nHorFrameSizeMin, m_nHorFrameSizeMax},
                             Axis{first + 1, first + 3, m_nVerFrameSizeMin, m_nVerFrameSizeMax}}) {
        CEditSpin& offset = m_aoi[static_cast<std::size_t>(axis.offset)];
        CEditSpin& size = m_aoi[static_cast<std::size_t>(axis.size)];
        // Shown clamped; nothing is written.
        if (!ClampsAxis(axis.frameMax)) {
            offset.SetRangeRead(catalogueMin, catalogueMax, Read(kAOINames[axis.offset]));
            size.SetRangeRead(catalogueMin, catalogueMax, Read(kAOINames[axis.size]));
        } else {
            offset.SetRangeRead(0, axis.frameMax - 1, Read(kAOINames[axis.offset]));
            // Without the offset the room is the whole frame.
            const int room = offset.m_bNoReading ? axis.frameMax : axis.frameMax - offset.m_nValue;
            size.SetRangeRead(std::min(axis.sizeMin, room), room, Read(kAOINames[axis.size]));
        }
    }
    for (int i = first; i < first + 4; ++i)
        ListenTo(kAOINames[i]);
}

void CDlgImageKelmir::UpdateAOIEnabling()
{
    const bool enable = m_bDebugMode || (m_nBinHorzMode == 0 && m_nBinVertMode == 0);
    for (CEditSpin& record : m_aoi)
        record.Enable(enable ? 1 : 0);
    if (QWidget* mode = GetDlgItem(IDC_SLAVE_MODE))
        mode->setEnabled(enable);
}

void CDlgImageKelmir::LayoutAOI()
{
    panel_template::Hide(this, SlaveGroupIds());
    if (auto* master = qobject_cast<QGroupBox*>(GetDlgItem(IDC_MASTER_BOX)))
        master->setTitle(QStringLiteral("Image AOI"));
    const QRect structure = panel_template::RectOf(this, IDC_STRUCTURE_BOX);
    const QRect master = panel_template::RectOf(this, IDC_MASTER_BOX);
    if (!structure.isNull() && !master.isNull()) {
        const int up = structure.y() - Bottom(master);
        if (up != 0)
            for (int id : kBelowSlave)
                panel_template::MoveBy(this, id, 0, -up);
    }
    panel_template::FitHeightBelow(this, IDC_TEST_BOX, kMarginPx);
}

// ---- the operator's actions ----

bool CDlgImageKelmir::OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam)
{
    const int id = static_cast<int>(wnd::LoWord(wParam));
    const unsigned code = wnd::HiWord(wParam);

    if (code == wnd::CBN_SELCHANGE) {
        if (id == IDC_FFC) {
            OnBnClickedFFCEnable();
            return true;
        }
        if (id == IDC_LUT) {
            OnBnClickedLUTEnable();
            return true;
        }
        for (ComboParam& combo : m_corrections) {
            if (id != combo.m_nComboId)
                continue;
            UpdateData(true);
            if (const auto value = combo.SelectedValue()) {
                combo.m_nValue = *value;
                WriteParamInt(combo.m_pszName, *value);
            }
            return true;
        }
    }
    if (code == wnd::EN_KILLFOCUS && id == IDC_DPC_EDIT) {
        if (m_dpcThreshold.OnEditCommit() == 1)
            SetThresholdParam(0, m_dpcThreshold.m_nValue);
        return true;
    }
    if (code == wnd::EN_KILLFOCUS && id == IDC_HPC_EDIT) {
        if (m_hpcThreshold.OnEditCommit() == 1)
            SetThresholdParam(1, m_hpcThreshold.m_nValue);
        return true;
    }
    return CDlgImage::OnCommand(wParam, lParam);
}

void CDlgImageKelmir::OnHScroll(unsigned code, int pos, QWidget* scrollBar)
{
    if (m_nHScrollBusy.exchange(1))
        return;
    if (m_dpcThreshold.OnHScroll(code, pos, scrollBar) == 1)
        SetThresholdParam(0, m_dpcThreshold.m_nValue);
    m_nHScrollBusy = 0;
    // The HPC threshold and the brightness as on the image panel.
    CDlgImage::OnHScroll(code, pos, scrollBar);
}

void CDlgImageKelmir::OnVScroll(unsigned code, int pos, QWidget* scrollBar)
{
    if (m_nVScrollBusy.exchange(1))
        return;
    if (m_dpcThreshold.OnVScroll(code, pos, scrollBar) == 1)
        SetThresholdParam(0, m_dpcThreshold.m_nValue);
    m_nVScrollBusy = 0;
    // The HPC threshold, the brightness and the AOI spins as on the image panel.
    CDlgImage::OnVScroll(code, pos, scrollBar);
}

void CDlgImageKelmir::SetThresholdParam(int index, int value)
{
    WriteParamInt(index == 0 ? names::kDPCThreshold : names::kHPCThreshold, value);
}

void CDlgImageKelmir::OnBnClickedFFCEnable()
{
    WriteCoupledSelect(m_corrections[FFCSelect], names::kFFCEnable, m_nFFCEnable);
}

void CDlgImageKelmir::OnBnClickedLUTEnable()
{
    WriteCoupledSelect(m_corrections[LUTSelect], names::kLUTEnable, m_nLUTEnable);
}

void CDlgImageKelmir::WriteCoupledSelect(ComboParam& select, const char* enableName, int& enable)
{
    UpdateData(true);
    if (select.m_nIndex > 0) {
        if (const auto value = select.SelectedValue()) {
            select.m_nValue = *value;
            // A table the camera refused is not switched on: it would use the one it holds.
            const int result = WriteParamInt(select.m_pszName, *value);
            if (!Written(result) && result != kOrvParamUnchanged)
                return;
        }
        enable = 1;
    } else {
        // "Off": the table stays selected in the camera, only its use ends.
        enable = 0;
    }
    WriteParamInt(enableName, enable);
}

void CDlgImageKelmir::ShowCoupledSelect(ComboParam& select, int enable)
{
    if (enable == 0) {
        select.m_nIndex = 0;
        return;
    }
    const auto it = select.m_map.find(select.m_nValue);
    if (it != select.m_map.end())
        select.m_nIndex = it->second;
}

// ---- area of interest ----

bool CDlgImageKelmir::ClampsAxis(int frameMax) const
{
    return !m_bDebugMode && frameMax > 0;
}

int CDlgImageKelmir::SetAOIOffset(int value, int sizeMin, int frameMax, const char* offsetName,
                                  const char* sizeName, CEditSpin& sizeEdit)
{
    m_pStorage->RemoveParamChangedListener(offsetName, this);
    if (!ClampsAxis(frameMax)) {
        SetCameraParamInt(offsetName, value);
    } else {
        value = std::clamp(value, 0, frameMax - 1);
        SetCameraParamInt(offsetName, value);
        int size = ReadInt(sizeName);
        const int room = frameMax - value;
        // The panel hears this write and shows the new size.
        if (size > room) {
            size = room;
            SetCameraParamInt(sizeName, size);
        }
        sizeEdit.SetRange(std::min(sizeMin, room), room, size);
    }
    m_pStorage->AddParamChangedListener(offsetName, this);
    return value;
}

int CDlgImageKelmir::SetAOISize(int value, int sizeMin, int frameMax, const char* sizeName, const char* offsetName)
{
    m_pStorage->RemoveParamChangedListener(sizeName, this);
    if (ClampsAxis(frameMax)) {
        const int room = frameMax - ReadInt(offsetName);
        // The room wins over the minimum.
        value = std::min(std::max(value, sizeMin), room);
    }
    SetCameraParamInt(sizeName, value);
    m_pStorage->AddParamChangedListener(sizeName, this);
    return value;
}

int CDlgImageKelmir::SetAOI(int record, int value)
{
    if (record < 0 || record >= AOIRecordCount || !m_pStorage)
        return value;
    const int first = record < SlaveHorOffset ? MasterHorOffset : SlaveHorOffset;
    const int part = record - first;  // 0 x offset, 1 y offset, 2 width, 3 height
    const bool horizontal = part == 0 || part == 2;
    const int sizeMin = horizontal ? m_nHorFrameSizeMin : m_nVerFrameSizeMin;
    const int frameMax = horizontal ? m_nHorFrameSizeMax : m_nVerFrameSizeMax;
    const int offset = first + (horizontal ? 0 : 1);
    const int size = first + (horizontal ? 2 : 3);
    const int written = part < 2 ? SetAOIOffset(value, sizeMin, frameMax, kAOINames[offset], kAOINames[size],
                                                m_aoi[static_cast<std::size_t>(size)])
                                 : SetAOISize(value, sizeMin, frameMax, kAOINames[size], kAOINames[offset]);
    m_aoi[static_cast<std::size_t>(record)].SetValue(written, false);
    return written;
}

void CDlgImageKelmir::ResetHorizontalAOI()
{
    ResetAxisAOI(true);
}

void CDlgImageKelmir::ResetVerticalAOI()
{
    ResetAxisAOI(false);
}

void CDlgImageKelmir::ResetAxisAOI(bool horizontal)
{
    int& sizeMin = horizontal ? m_nHorFrameSizeMin : m_nVerFrameSizeMin;
    int& frameMax = horizontal ? m_nHorFrameSizeMax : m_nVerFrameSizeMax;
    sizeMin = ReadInt(horizontal ? names::kHorFrameSizeMin : names::kVerFrameSizeMin);
    frameMax = ReadInt(horizontal ? names::kHorFrameSizeMax : names::kVerFrameSizeMax);
    // Without a frame size there is no full frame to reset to.
    if (frameMax <= 0)
        return;
    const int groups[2] = {MasterHorOffset, SlaveHorOffset};
    const int offsetPart = horizontal ? 0 : 1;
    const int sizePart = horizontal ? 2 : 3;
    for (int first : groups) {
        const int offset = first + offsetPart;
        const int size = first + sizePart;
        if (!IsParamDefined(kAOINames[offset]))
            continue;
        m_aoi[static_cast<std::size_t>(offset)].SetRange(0, frameMax - 1, 0);
        SetAOIOffset(0, sizeMin, frameMax, kAOINames[offset], kAOINames[size], m_aoi[static_cast<std::size_t>(size)]);
    }
    for (int first : groups) {
        const int offset = first + offsetPart;
        const int size = first + sizePart;
        if (!IsParamDefined(kAOINames[size]))
            continue;
        m_aoi[static_cast<std::size_t>(size)].SetRange(std::min(sizeMin, frameMax), frameMax, frameMax);
        SetAOISize(frameMax, sizeMin, frameMax, kAOINames[size], kAOINames[offset]);
    }
}

// ---- binning ----

void CDlgImageKelmir::OnBinningRadio(const char* name, int value)
{
    // Taken while the panel is being activated too: a click on this panel is always a choice.
    const bool horizontal = std::strcmp(name, names::kBinHorzMode) == 0;
    (horizontal ? m_nBinHorzMode : m_nBinVertMode) = value;
    WriteBinning(name, value);
    if (m_bDebugMode)
        return;
    ResetAxisAOI(horizontal);
    UpdateAOIEnabling();
}

bool& CDlgImageKelmir::BinningWriteFlag()
{
    return s_bBinningWrite;
}

void CDlgImageKelmir::WriteBinning(const char* name, int value)
{
    bool& busy = BinningWriteFlag();
    if (busy || !m_pStorage)
        return;
    busy = true;
    // The panel keeps listening: it hears its own binning change and resets the AOI from it.
    m_pStorage->SetErrorOwner(this);
    SetCameraParamInt(name, value);
    m_pStorage->SetErrorOwner(nullptr);
    busy = false;
}

// ---- changes made elsewhere ----

void CDlgImageKelmir::OnParamChanged(const _OrvStParam* param)
{
    if (!param)
        return;
    const int value = static_cast<int>(param->value.n);

    if (Is(param, names::kFFCSelect) || Is(param, names::kLUTSelect)) {
        const bool ffc = Is(param, names::kFFCSelect);
        ComboParam& select = m_corrections[ffc ? FFCSelect : LUTSelect];
        select.m_nValue = value;
        select.m_bRead = true;
        if (ffc ? m_ffcEnableRead : m_lutEnableRead)
            ShowCoupledSelect(select, ffc ? m_nFFCEnable : m_nLUTEnable);
        else
            select.m_nIndex = -1;  // in use or not, the camera did not say
        UpdateData(false);
        return;
    }
    if (Is(param, names::kFFCEnable) || Is(param, names::kLUTEnable)) {
        const bool ffc = Is(param, names::kFFCEnable);
        (ffc ? m_nFFCEnable : m_nLUTEnable) = value;
        (ffc ? m_ffcEnableRead : m_lutEnableRead) = true;
        ShowCoupledSelect(m_corrections[ffc ? FFCSelect : LUTSelect], value);
        UpdateData(false);
        return;
    }
    for (ComboParam& combo : m_corrections)
        if (Is(param, combo.m_pszName)) {
            combo.OnValueChanged(value);
            UpdateData(false);
            return;
        }
    if (Is(param, names::kDPCThreshold)) {
        m_dpcThreshold.SetValue(value, false);
        UpdateData(false);
        return;
    }
    const bool horizontal = Is(param, names::kBinHorzMode);
    if (horizontal || Is(param, names::kBinVertMode)) {
        // The radios as on the image panel, then the AOI of that axis.
        CDlgImage::OnParamChanged(param);
        if (BinningRadioIndex(value) >= 0 && !m_bDebugMode) {
            ResetAxisAOI(horizontal);
            UpdateAOIEnabling();
        }
        return;
    }
    // Structure, test mode, slave mode, HPC threshold, brightness, check boxes and the AOI
    // names (through SetAOI, so a notified value is written back clamped).
    CDlgImage::OnParamChanged(param);
}
