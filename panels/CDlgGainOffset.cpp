#include "panels/CDlgGainOffset.h"

#include "camera/CameraLink.h"
#include "camera/ParamDefinition.h"
#include "controls/OVNumericControl.h"
#include "controls/OVSlider.h"
#include "controls/WindowIds.h"
#include "orvmisc/OrvParam.h"
#include "orvmisc/OrvParamStorage.h"
#include "panels/PanelTemplate.h"
#include "panels/ScaledNumeric.h"

#include <QCheckBox>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace names = panel_names::gain_offset;
using limits_scale::LimitsScale;
using panel_template::Item;
using panel_template::Kind;

const CDlgGainOffset::TapIds CDlgGainOffset::kTapIds[kTaps] = {
    {1250, 1295, 1263, 1303}, {1245, 1429, 1264, 1437}, {1247, 1430, 1265, 1438}, {1248, 1296, 1266, 1304},
    {1253, 1431, 1267, 1439}, {1246, 1297, 1268, 1305}, {1254, 1432, 1269, 1440}, {1249, 1298, 1270, 1306},
    {1255, 1433, 1271, 1441}, {1256, 1299, 1272, 1307}, {1257, 1434, 1273, 1442}, {1258, 1300, 1274, 1308},
    {1259, 1435, 1275, 1443}, {1260, 1301, 1276, 1309}, {1261, 1436, 1277, 1444}, {1262, 1302, 1278, 1310},
};

namespace {

// ---- template 221 (dialog units) ----
constexpr int kWidth = 312;
constexpr int kHeight = 204;
constexpr int kBoxTop = 48;       // " Gain " and " Offset "
constexpr int kRowTop = 60;       // first tap row
constexpr int kRowPitch = 15;
constexpr int kControlWidth = 49;
constexpr int kControlHeight = 12;
constexpr int kLabelWidth = 15;
constexpr int kLabelGap = 2;      // between a tap's caption ("#16" fills its width) and its control
constexpr int kGainLeft = 16;     // label of the left column in " Gain "
constexpr int kOffsetLeft = 164;  // label of the left column in " Offset "
constexpr int kColumnPitch = 68;  // left column to right column
constexpr int kLinkTop = kRowTop + 8 * kRowPitch + 1;

const char* const kTapLabels[CDlgGainOffset::kTaps] = {"#1", "#2",  "#3",  "#4",  "#5",  "#6",  "#7",  "#8",
                                                       "#9", "#10", "#11", "#12", "#13", "#14", "#15", "#16"};

std::vector<Item> Template221()
{
    std::vector<Item> items = {
        {0, Kind::Group, " Digital ", 4, 4, 190, 30},
        {0, Kind::Group, "Corrections", 198, 4, 110, 30},
        {CDlgGainOffset::IDC_ANALOG_BOX, Kind::Group, " Analog ", 4, 38, 304, 162},
        {CDlgGainOffset::IDC_GAIN_BOX, Kind::Group, " Gain ", 10, kBoxTop, 144, 148},
        {CDlgGainOffset::IDC_OFFSET_BOX, Kind::Group, " Offset ", 158, kBoxTop, 144, 148},
        {0, Kind::Static, "Gain", 10, 16, 19, 10},
        {CDlgGainOffset::IDC_DIGITAL_GAIN, Kind::Numeric, nullptr, 30, 15, 60, kControlHeight},
        {0, Kind::Static, "Offset", 97, 16, 26, 10},
        {CDlgGainOffset::IDC_DIGITAL_OFFSET, Kind::Numeric, nullptr, 124, 15, 60, kControlHeight},
        {0, Kind::Static, "Tap Balance", 204, 16, 46, 10},
        {CDlgGainOffset::IDC_TB_MODE, Kind::Combo, nullptr, 251, 15, 51, 13},
    };
    // Two taps a row, odd numbers on the left; each row of gain controls, then the offsets.
    for (const bool gain : {true, false}) {
        const int left = gain ? kGainLeft : kOffsetLeft;
        for (int tap = 0; tap < CDlgGainOffset::kTaps; ++tap) {
            const CDlgGainOffset::TapIds& ids = CDlgGainOffset::kTapIds[tap];
            const int x = left + (tap % 2) * kColumnPitch;
            const int y = kRowTop + (tap / 2) * kRowPitch;
            items.push_back({gain ? ids.gainLabel : ids.offsetLabel, Kind::Static, kTapLabels[tap], x, y + 1,
                             kLabelWidth, 10});
            items.push_back({gain ? ids.gain : ids.offset, Kind::Numeric, nullptr, x + kLabelWidth + kLabelGap, y,
                             kControlWidth, kControlHeight});
        }
        items.push_back({gain ? CDlgGainOffset::IDC_LINK_GAIN : CDlgGainOffset::IDC_LINK_OFFSET, Kind::Check,
                         gain ? "Link Gain" : "Link Offset", left + kLabelWidth + kLabelGap, kLinkTop, 60, 10});
    }
    return items;
}

constexpr int kMargin = 8;        // pixels below the Link boxes and the group boxes
constexpr int kPopupWidth = 38;   // the pop-up slider's width, doubled in debug mode

}  // namespace

const char* CDlgGainOffset::TapRow::Name(int tap) const
{
    return gain ? names::kTaps[tap].gain : names::kTaps[tap].offset;
}

CDlgGainOffset::CDlgGainOffset(QWidget* pMainWnd, CCameraLink* pStorage) : COptionDialog(IDD, pMainWnd, pStorage)
{
    m_offset.gain = false;
}

CDlgGainOffset::~CDlgGainOffset()
{
    // No notice may reach the half-destroyed panel, and no control keeps a scale of it.
    OrvParamStorage::ForgetListener(this);
    for (TapRow* row : {&m_gain, &m_offset})
        for (OVNumericControl* control : row->controls)
            scaled_numeric::ForgetScale(control);
    scaled_numeric::ForgetScale(m_digitalGain);
    scaled_numeric::ForgetScale(m_digitalOffset);
}

// ---- building ----

void CDlgGainOffset::BuildTemplate()
{
    const std::vector<Item> items = Template221();
    panel_template::Build(this, items, kWidth, kHeight);
}

bool CDlgGainOffset::OnPreInitDialog()
{
    m_digitalGain = static_cast<OVNumericControl*>(Control(IDC_DIGITAL_GAIN));
    m_digitalOffset = static_cast<OVNumericControl*>(Control(IDC_DIGITAL_OFFSET));
    for (int tap = 0; tap < kTaps; ++tap) {
        m_gain.controls[tap] = static_cast<OVNumericControl*>(Control(kTapIds[tap].gain));
        m_offset.controls[tap] = static_cast<OVNumericControl*>(Control(kTapIds[tap].offset));
    }
    return true;
}

void CDlgGainOffset::DoDataExchange(bool save)
{
    auto* linkGain = static_cast<QCheckBox*>(Control(IDC_LINK_GAIN));
    auto* linkOffset = static_cast<QCheckBox*>(Control(IDC_LINK_OFFSET));
    if (!linkGain || !linkOffset)
        return;
    m_tbMode.Exchange(save);
    if (save) {
        m_gain.link = linkGain->isChecked() ? 1 : 0;
        m_offset.link = linkOffset->isChecked() ? 1 : 0;
    } else {
        linkGain->setChecked(m_gain.link != 0);
        linkOffset->setChecked(m_offset.link != 0);
    }
}

// ---- reading the camera ----

_OrvStParam CDlgGainOffset::Record(const char* name) const
{
    // Zeroed first: a name the catalogue lacks must not inherit another parameter's limits.
    _OrvStParam record{};
    IsParamDefined(name, &record);
    return record;
}

std::int64_t CDlgGainOffset::ReadInt(const char* name, bool* read)
{
    std::int64_t value = 0;
    const bool answered = m_pStorage->GetParamInt(name, &value) == 0;
    if (read)
        *read = answered;
    return answered ? value : 0;
}

void CDlgGainOffset::ReloadValues()
{
    if (!CanRefresh())
        return;
    m_allowedTaps = m_pStorage->m_nTapsAllowed;
    m_activeTaps = GetActiveTaps(*m_pStorage);
    bool read = false;
    const std::int64_t tbMode = ReadInt(names::kTBMode, &read);
    m_tbMode.SetRead(read ? std::optional<std::int64_t>(tbMode) : std::nullopt);
    m_digitalGainRaw = ReadInt(names::kDigitalGain, &m_digitalGainRead);
    m_digitalOffsetRaw = ReadInt(names::kDigitalOffset, &m_digitalOffsetRead);
    for (int tap = 0; tap < kTaps; ++tap) {
        m_gain.raw[tap] = ReadInt(m_gain.Name(tap), &m_gain.read[tap]);
        m_offset.raw[tap] = ReadInt(m_offset.Name(tap), &m_offset.read[tap]);
    }
}

QRect CDlgGainOffset::PopupRect(const OVNumericControl* control) const
{
    return scaled_numeric::PopupRectFor(control, m_bDebugMode ? 2 * kPopupWidth : kPopupWidth);
}

void CDlgGainOffset::SetupDigital(OVNumericControl* control, const char* name, const char* limitsName,
                                  LimitsScale& scale, OVLinearScale& line, std::int64_t raw, bool read, bool gain)
{
    ListenTo(name);
    const limits_scale::DisplayLimits limits = limits_scale::DisplayLimitsOf(Record(limitsName));
    scale = limits_scale::MakeLimitsScale(limits, limits_scale::RawRangeOf(Record(name)));
    const bool integerMode = !gain || scale.raw;
    const int spinSteps = gain ? limits_scale::SpinStepsOf(limits) : 0;
    scaled_numeric::Setup(control, this, line, scale, limits_scale::ShownFromRaw(scale, raw), spinSteps, integerMode,
                          PopupRect(control), gain && !scale.raw ? QStringLiteral("%.3f") : QString());
    if (!read)
        scaled_numeric::ShowNoReading(control);
}

void CDlgGainOffset::SetupTapRow(TapRow& row, const char* limitsName, bool integerMode)
{
    const limits_scale::DisplayLimits limits = limits_scale::DisplayLimitsOf(Record(limitsName));
    // The first tap's raw range stands for every tap.
    row.scale = limits_scale::MakeLimitsScale(limits, limits_scale::RawRangeOf(Record(row.Name(0))));
    const int spinSteps = integerMode ? 0 : limits_scale::SpinStepsOf(limits);
    for (int tap = 0; tap < m_tapCount; ++tap) {
        ListenTo(row.Name(tap));
        OVNumericControl* control = row.controls[tap];
        scaled_numeric::Setup(control, this, row.line, row.scale, limits_scale::ShownFromRaw(row.scale, row.raw[tap]),
                              spinSteps, integerMode || row.scale.raw, PopupRect(control));
        if (!row.read[tap])
            scaled_numeric::ShowNoReading(control);
    }
}

bool CDlgGainOffset::RefreshFromStorage()
{
    if (!CanRefresh())
        return true;
    ReloadValues();

    // No label goes with the list: "Tap Balance" stays when the map lacks TBMode.
    m_tbMode.Fill(this, m_pStorage, m_pXmlDoc.get());
    ListenTo(names::kTBMode);
    ListenTo(names::kTapsMode);

    SetupDigital(m_digitalGain, names::kDigitalGain, names::kDigitalGainLimits, m_digitalGainScale, m_digitalGainLine,
                 m_digitalGainRaw, m_digitalGainRead, true);
    SetupDigital(m_digitalOffset, names::kDigitalOffset, names::kDigitalOffsetLimits, m_digitalOffsetScale,
                 m_digitalOffsetLine, m_digitalOffsetRaw, m_digitalOffsetRead, false);

    m_tapCount = std::clamp(m_allowedTaps, 0, static_cast<int>(kTaps));
    SetupTapRow(m_gain, names::kAnalogGainLimits, false);
    SetupTapRow(m_offset, names::kAnalogOffsetLimits, true);

    m_agcOn = ReadInt(names::kAGCEnable) != 0;
    ListenTo(names::kAGCEnable);

    LayoutTaps();
    UpdateEnabling(m_agcOn);
    return true;
}

// ---- the operator's edits ----

bool CDlgGainOffset::OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam)
{
    const int id = static_cast<int>(wnd::LoWord(wParam));
    const unsigned code = wnd::HiWord(wParam);
    if (code == wnd::OVN_CHANGED) {
        bool found = false;
        for (TapRow* row : {&m_gain, &m_offset}) {
            for (int tap = 0; tap < kTaps && !found; ++tap) {
                if ((row->gain ? kTapIds[tap].gain : kTapIds[tap].offset) == id) {
                    OnTapCommitted(*row, tap);
                    found = true;
                }
            }
        }
        if (!found && id == IDC_DIGITAL_GAIN)
            OnDigitalCommitted(m_digitalGain, names::kDigitalGain, m_digitalGainScale, m_digitalGainRaw);
        else if (!found && id == IDC_DIGITAL_OFFSET)
            OnDigitalCommitted(m_digitalOffset, names::kDigitalOffset, m_digitalOffsetScale, m_digitalOffsetRaw);
    } else if (code == wnd::BN_CLICKED && (id == IDC_LINK_GAIN || id == IDC_LINK_OFFSET)) {
        UpdateData(true);
    } else if (code == wnd::CBN_SELCHANGE && id == IDC_TB_MODE) {
        OnCbnSelchangeTBMode();
    }
    return COptionDialog::OnCommand(wParam, lParam);
}

void CDlgGainOffset::WriteTap(TapRow& row, int tap)
{
    WriteParamInt(row.Name(tap), row.raw[tap]);
}

void CDlgGainOffset::OnTapCommitted(TapRow& row, int tap)
{
    if (tap >= m_tapCount)
        return;  // a hidden tap
    scaled_numeric::CommitTap(std::span(row.controls.data(), static_cast<std::size_t>(m_tapCount)),
                              std::span(row.raw.data(), static_cast<std::size_t>(m_tapCount)), tap, Linked(row),
                              row.scale, [this, &row](int j) { WriteTap(row, j); });
}

void CDlgGainOffset::OnDigitalCommitted(OVNumericControl* control, const char* name, const LimitsScale& scale,
                                        std::int64_t& raw)
{
    if (scaled_numeric::CommitSingle(control, scale, raw))
        WriteParamInt(name, raw);
}

void CDlgGainOffset::OnCbnSelchangeTBMode()
{
    m_pStorage->RemoveParamChangedListener(names::kTBMode, this);
    UpdateData(true);
    if (const std::optional<int> value = m_tbMode.SelectedValue())
        m_tbMode.m_nValue = *value;
    // The one-time balance runs when the register goes from 0 to 2.
    if (!m_bDebugMode && m_tbMode.m_nValue == 2)
        SetCameraParamInt(names::kTBMode, 0);
    SetCameraParamInt(names::kTBMode, m_tbMode.m_nValue);
    UpdateEnabling(m_agcOn);
    m_pStorage->AddParamChangedListener(names::kTBMode, this);
}

// ---- changes made elsewhere ----

void CDlgGainOffset::OnParamChanged(const _OrvStParam* param)
{
    if (!param)
        return;
    const char* name = param->name;
    const std::int64_t value = static_cast<std::int32_t>(param->value.n);
    if (std::strcmp(name, names::kTBMode) == 0) {
        if (m_tbMode.OnValueChanged(static_cast<int>(value)))
            UpdateEnabling(m_agcOn);
    } else if (std::strcmp(name, names::kTapsMode) == 0) {
        m_activeTaps = GetActiveTaps(*m_pStorage);
        UpdateEnabling(m_agcOn);
    } else if (std::strcmp(name, names::kDigitalGain) == 0) {
        if (value != m_digitalGainRaw || !scaled_numeric::Known(m_digitalGain)) {
            m_digitalGainRaw = value;
            scaled_numeric::Show(m_digitalGain, limits_scale::ShownFromRaw(m_digitalGainScale, value));
        }
    } else if (std::strcmp(name, names::kDigitalOffset) == 0) {
        if (value != m_digitalOffsetRaw || !scaled_numeric::Known(m_digitalOffset)) {
            m_digitalOffsetRaw = value;
            scaled_numeric::Show(m_digitalOffset, limits_scale::ShownFromRaw(m_digitalOffsetScale, value));
        }
    } else if (std::strcmp(name, names::kAGCEnable) == 0) {
        m_agcOn = value != 0;
        UpdateEnabling(m_agcOn);
    } else {
        bool found = false;
        for (TapRow* row : {&m_gain, &m_offset}) {
            for (int tap = 0; tap < m_tapCount && !found; ++tap) {
                if (std::strcmp(name, row->Name(tap)) == 0) {
                    OnTapChanged(*row, tap, value);
                    found = true;
                }
            }
        }
    }
    UpdateData(false);
}

void CDlgGainOffset::OnTapChanged(TapRow& row, int tap, std::int64_t value)
{
    scaled_numeric::TapChanged(std::span(row.controls.data(), static_cast<std::size_t>(m_tapCount)),
                               std::span(row.raw.data(), static_cast<std::size_t>(m_tapCount)), tap, value,
                               Linked(row), row.scale, [this, &row](int j) { WriteTap(row, j); });
}

bool CDlgGainOffset::Linked(const TapRow& row) const
{
    // A Link box the operator cannot use links nothing, ticked or not.
    const QWidget* box = Control(row.gain ? IDC_LINK_GAIN : IDC_LINK_OFFSET);
    return row.link != 0 && box && box->isEnabled();
}

// ---- enabling and layout ----

void CDlgGainOffset::UpdateEnabling(bool agcOn)
{
    auto enableTap = [this](int tap, bool enable) {
        m_gain.controls[tap]->setEnabled(enable);
        m_offset.controls[tap]->setEnabled(enable);
    };
    QWidget* links[] = {Control(IDC_LINK_GAIN), Control(IDC_LINK_OFFSET)};
    auto enableLinks = [&links](bool enable) {
        for (QWidget* link : links)
            link->setEnabled(enable);
    };
    QWidget* tapBalance = Control(IDC_TB_MODE);
    if (m_bDebugMode) {
        tapBalance->setEnabled(true);
        enableLinks(true);
        for (int tap = 0; tap < m_tapCount; ++tap)
            enableTap(tap, true);
        return;
    }
    const bool multi = m_activeTaps > 1;
    tapBalance->setEnabled(multi);
    if (agcOn) {
        enableLinks(false);
        for (int tap = 0; tap < m_tapCount; ++tap)
            enableTap(tap, false);
    } else if (m_tbMode.m_nValue == 0) {
        enableLinks(multi);
        for (int tap = 0; tap < m_tapCount; ++tap)
            enableTap(tap, tap < m_activeTaps);
    } else {
        enableLinks(false);
        for (int tap = 0; tap < m_tapCount; ++tap)
            enableTap(tap, tap == 0);
    }
}

void CDlgGainOffset::LayoutTaps()
{
    if (m_allowedTaps <= 0)
        return;
    for (int tap = 0; tap < kTaps; ++tap) {
        const bool shown = tap < m_allowedTaps;
        for (int id : {kTapIds[tap].gain, kTapIds[tap].gainLabel, kTapIds[tap].offset, kTapIds[tap].offsetLabel})
            Control(id)->setVisible(shown);
    }
    // The left tap of the last row in use.
    const int r = 2 * ((m_tapCount - 1) / 2);
    QWidget* linkGain = Control(IDC_LINK_GAIN);
    QWidget* linkOffset = Control(IDC_LINK_OFFSET);
    const QRect gainRect = m_gain.controls[r]->geometry();
    const QRect offsetRect = m_offset.controls[r]->geometry();
    linkGain->move(gainRect.left(), gainRect.bottom() + 1 + kMargin);
    linkOffset->move(offsetRect.left(), offsetRect.bottom() + 1 + kMargin);

    const int boxBottom = linkGain->geometry().bottom() + 1 + kMargin;
    for (int id : {IDC_GAIN_BOX, IDC_OFFSET_BOX}) {
        QWidget* box = Control(id);
        box->setGeometry(box->x(), box->y(), box->width(), boxBottom - box->y());
    }
    QWidget* analog = Control(IDC_ANALOG_BOX);
    const int analogBottom = Control(IDC_OFFSET_BOX)->geometry().bottom() + 1 + kMargin;
    analog->setGeometry(analog->x(), analog->y(), analog->width(), analogBottom - analog->y());
    resize(width(), analogBottom + kMargin);
}
