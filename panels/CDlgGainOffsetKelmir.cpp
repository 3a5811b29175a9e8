#include "panels/CDlgGainOffsetKelmir.h"

#include "camera/CameraLink.h"
#include "camera/ParamDefinition.h"
#include "controls/OVNumericControl.h"
#include "controls/WindowIds.h"
#include "orvmisc/OrvParam.h"
#include "orvmisc/OrvParamStorage.h"
#include "panels/PanelTemplate.h"
#include "panels/ScaledNumeric.h"

#include <QCheckBox>
#include <QLabel>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

namespace names = panel_names::kelmir;
namespace go = panel_names::gain_offset;
using limits_scale::LimitsScale;
using panel_template::Item;
using panel_template::Kind;

const CDlgGainOffsetKelmir::ChannelIds CDlgGainOffsetKelmir::kChannelIds[kChannels] = {
    {1573, 1577, 1583, 1589, 1632, 1593},
    {1574, 1578, 1584, 1590, 1623, 1594},
    {1575, 1579, 1587, 1591, 1631, 1597},
    {1576, 1580, 1588, 1592, 1630, 1598},
};

const CDlgGainOffsetKelmir::PresetRowIds CDlgGainOffsetKelmir::kPresetIds[kPresets] = {
    {1451, {1447, 1448, 1449, 1450}, {1457, 1458, 1459, 1460}},
    {1465, {1461, 1462, 1463, 1464}, {1470, 1471, 1472, 1473}},
    {1478, {1474, 1475, 1476, 1477}, {1483, 1484, 1485, 1486}},
    {1491, {1487, 1488, 1489, 1490}, {1496, 1497, 1498, 1499}},
    {1504, {1500, 1501, 1502, 1503}, {1509, 1510, 1511, 1512}},
    {1517, {1513, 1514, 1515, 1516}, {1522, 1523, 1524, 1525}},
};

const int CDlgGainOffsetKelmir::kAdcTextIds[kelmir_gain::kAdcChannels] = {1505, 1506, 1507, 1508, 1519, 1520,
                                                                         1531, 1532, 1521, 1526, 1527, 1528};

namespace {

// ---- template 226 (dialog units) ----
constexpr int kWidth = 302;
constexpr int kRowPitch = 15;
constexpr int kNumericHeight = 12;
constexpr int kComboHeight = 13;
constexpr int kAnalogTop = 72;
constexpr int kEmTop = 182;
constexpr int kRegTop = 280;

const char* const kChannelLabels[CDlgGainOffsetKelmir::kChannels] = {"#1", "#2", "#3", "#4"};
const char* const kPresetLabels[CDlgGainOffsetKelmir::kPresets] = {"1X", "5X", "10X", "15X", "20X", "User"};

/// One analog group (" Analog Day" or " Analog Night") at x: its gain and offset boxes with
/// four channels each and their Link boxes.
void AddAnalogGroup(std::vector<Item>& items, int x, bool day)
{
    using K = CDlgGainOffsetKelmir;
    items.push_back({0, Kind::Group, day ? " Analog Day" : " Analog Night", x, kAnalogTop, 146, 104});
    for (const bool gain : {true, false}) {
        const int left = x + (gain ? 4 : 75);
        items.push_back({0, Kind::Group, gain ? " Gain " : " Offset ", left, kAnalogTop + 10, 67, 90});
        for (int c = 0; c < K::kChannels; ++c) {
            const K::ChannelIds& ids = K::kChannelIds[c];
            const int id = day ? (gain ? ids.dayGain : ids.dayOffset) : (gain ? ids.nightGain : ids.nightOffset);
            const int y = kAnalogTop + 22 + c * kRowPitch;
            items.push_back({0, Kind::Static, kChannelLabels[c], left + 5, y + 1, 12, 10});
            items.push_back({id, Kind::Numeric, nullptr, left + 18, y, 45, kNumericHeight});
        }
        const int link = day ? (gain ? K::IDC_DAY_LINK_GAIN : K::IDC_DAY_LINK_OFFSET)
                             : (gain ? K::IDC_NIGHT_LINK_GAIN : K::IDC_NIGHT_LINK_OFFSET);
        items.push_back({link, Kind::Check, gain ? "Link Gain" : "Link Offset", left + 5, kAnalogTop + 84, 60, 10});
    }
}

std::vector<Item> Template226()
{
    using K = CDlgGainOffsetKelmir;
    std::vector<Item> items = {
        {0, Kind::Group, " Digital ", 4, 4, 294, 30},
        {0, Kind::Static, "Gain", 10, 16, 19, 10},
        {K::IDC_DIGITAL_GAIN, Kind::Numeric, nullptr, 30, 15, 60, kNumericHeight},
        {0, Kind::Static, "Offset", 98, 16, 25, 10},
        {K::IDC_DIGITAL_OFFSET, Kind::Numeric, nullptr, 124, 15, 56, kNumericHeight},
        {0, Kind::Static, "Tap Balance", 188, 16, 46, 10},
        {K::IDC_TB_MODE, Kind::Combo, nullptr, 236, 15, 56, kComboHeight},
        {0, Kind::Static, "Day / Night Mode", 10, 44, 64, 10},
        {K::IDC_DAY_NIGHT_MODE, Kind::Combo, nullptr, 76, 43, 64, kComboHeight},
        {0, Kind::Static, "Day / Night Threshold", 152, 44, 82, 10},
        {K::IDC_DAY_NIGHT_THRESHOLD, Kind::Numeric, nullptr, 236, 43, 56, kNumericHeight},
    };
    AddAnalogGroup(items, 4, true);
    AddAnalogGroup(items, 152, false);

    // EM gain: coarse list and fine value per channel, Sync and Link beside them.
    items.push_back({K::IDC_EM_GAIN_BOX, Kind::Group, "EM Gain", 4, kEmTop, 196, 92});
    items.push_back({0, Kind::Static, "Course", 26, kEmTop + 11, 46, 10});
    items.push_back({0, Kind::Static, "Fine", 80, kEmTop + 11, 46, 10});
    for (int c = 0; c < K::kChannels; ++c) {
        const int y = kEmTop + 22 + c * kRowPitch;
        items.push_back({0, Kind::Static, kChannelLabels[c], 10, y + 1, 12, 10});
        items.push_back({K::kChannelIds[c].coarse, Kind::Combo, nullptr, 26, y, 48, kComboHeight});
        items.push_back({K::kChannelIds[c].fine, Kind::Numeric, nullptr, 80, y, 50, kNumericHeight});
    }
    items.push_back({K::IDC_SYNC, Kind::Check, "Sync", 138, kEmTop + 22, 56, 10});
    items.push_back({K::IDC_FINE_LINK_GAIN, Kind::Check, "Link Gain", 138, kEmTop + 22 + kRowPitch, 56, 10});

    // The cooler.
    items.push_back({0, Kind::Group, "TEC", 204, kEmTop, 94, 92});
    items.push_back({0, Kind::Static, "Temperature", 210, kEmTop + 11, 80, 10});
    items.push_back({K::IDC_TEMPERATURE_MODE, Kind::Combo, nullptr, 210, kEmTop + 21, 80, kComboHeight});
    items.push_back({0, Kind::Static, "User Value", 210, kEmTop + 38, 80, 10});
    items.push_back({K::IDC_USER_TEC, Kind::Numeric, nullptr, 210, kEmTop + 48, 56, kNumericHeight});
    items.push_back({0, Kind::Static, "TEC Mode", 210, kEmTop + 64, 80, 10});
    items.push_back({K::IDC_TEC_MODE, Kind::Combo, nullptr, 210, kEmTop + 74, 80, kComboHeight});

    // Debug info: the preset registers, row by row, and the ADC read-outs below them.
    items.push_back({K::IDC_REG_VALUES, Kind::Group, " Reg Values", 4, kRegTop, 294, 224});
    for (int r = 0; r < K::kPresets; ++r) {
        const int y = kRegTop + 10 + r * 24;
        const K::PresetRowIds& row = K::kPresetIds[r];
        items.push_back({row.box, Kind::Group, kPresetLabels[r], 10, y, 282, 22});
        for (int c = 0; c < K::kChannels; ++c) {
            const int x = 16 + c * 69;
            items.push_back({row.labels[c], Kind::Static, kChannelLabels[c], x, y + 10, 12, 10});
            items.push_back({row.texts[c], Kind::Static, "0x00000000", x + 13, y + 10, 54, 10});
        }
    }
    const int adcTop = kRegTop + 10 + K::kPresets * 24 + 2;
    items.push_back({0, Kind::Group, "ADC Regs", 10, adcTop, 282, 62});
    for (int n = 0; n < kelmir_gain::kAdcChannels; ++n) {
        const int x = 16 + (n / 4) * 92;
        const int y = adcTop + 11 + (n % 4) * 12;
        items.push_back({0, Kind::Static, kelmir_gain::AdcLabel(n), x, y, 40, 10});
        items.push_back({K::kAdcTextIds[n], Kind::Static, "", x + 41, y, 46, 10});
    }
    return items;
}

constexpr int kMargin = 8;         // pixels below the group box that ends the panel
constexpr int kPopupWidth = 38;    // the pop-up slider's width, also in debug mode
constexpr int kPopupShift = 39;    // the pop-up opens this far right of the control's left edge
constexpr int kUserTecChoice = 4;  // "User" of the temperature modes

/// The identity over lo..hi: controls that show the register's own value.
LimitsScale Identity(double lo, double hi)
{
    LimitsScale scale;
    scale.shownMin = lo;
    scale.shownMax = hi;
    scale.raw = true;
    return scale;
}

}  // namespace

const char* CDlgGainOffsetKelmir::TapRow::Name(int channel) const
{
    const names::ChannelNames& n = names::kChannels[channel];
    return day ? (gain ? n.dayGain : n.dayOffset) : (gain ? n.nightGain : n.nightOffset);
}

CDlgGainOffsetKelmir::CDlgGainOffsetKelmir(QWidget* pMainWnd, CCameraLink* pStorage)
    : COptionDialog(IDD, pMainWnd, pStorage),
      m_coarse{ComboParam{names::kChannels[0].coarse, kChannelIds[0].coarse},
               ComboParam{names::kChannels[1].coarse, kChannelIds[1].coarse},
               ComboParam{names::kChannels[2].coarse, kChannelIds[2].coarse},
               ComboParam{names::kChannels[3].coarse, kChannelIds[3].coarse}}
{
    m_dayGain = {{}, {}, &m_gainScale, &m_gainLine, &m_dayLinkGain, true, true};
    m_dayOffset = {{}, {}, &m_offsetScale, &m_offsetLine, &m_dayLinkOffset, false, true};
    m_nightGain = {{}, {}, &m_gainScale, &m_gainLine, &m_nightLinkGain, true, false};
    m_nightOffset = {{}, {}, &m_offsetScale, &m_offsetLine, &m_nightLinkOffset, false, false};
}

CDlgGainOffsetKelmir::~CDlgGainOffsetKelmir()
{
    // No notice may reach the half-destroyed panel, and no control keeps a scale of it.
    OrvParamStorage::ForgetListener(this);
    for (TapRow* row : {&m_dayGain, &m_dayOffset, &m_nightGain, &m_nightOffset})
        for (OVNumericControl* control : row->controls)
            scaled_numeric::ForgetScale(control);
    for (OVNumericControl* control : m_fineControls)
        scaled_numeric::ForgetScale(control);
    for (OVNumericControl* control : {m_digitalGain, m_digitalOffset, m_threshold, m_userTec})
        scaled_numeric::ForgetScale(control);
}

// ---- building ----

void CDlgGainOffsetKelmir::BuildTemplate()
{
    const std::vector<Item> items = Template226();
    panel_template::Build(this, items, kWidth, kRegTop + 228);
}

bool CDlgGainOffsetKelmir::OnPreInitDialog()
{
    auto numeric = [this](int id) { return static_cast<OVNumericControl*>(Control(id)); };
    m_digitalGain = numeric(IDC_DIGITAL_GAIN);
    m_digitalOffset = numeric(IDC_DIGITAL_OFFSET);
    m_threshold = numeric(IDC_DAY_NIGHT_THRESHOLD);
    m_userTec = numeric(IDC_USER_TEC);
    for (int c = 0; c < kChannels; ++c) {
        m_dayGain.controls[c] = numeric(kChannelIds[c].dayGain);
        m_dayOffset.controls[c] = numeric(kChannelIds[c].dayOffset);
        m_nightGain.controls[c] = numeric(kChannelIds[c].nightGain);
        m_nightOffset.controls[c] = numeric(kChannelIds[c].nightOffset);
        m_fineControls[c] = numeric(kChannelIds[c].fine);
    }
    for (int id : {IDC_DAY_LINK_GAIN, IDC_DAY_LINK_OFFSET, IDC_NIGHT_LINK_GAIN, IDC_NIGHT_LINK_OFFSET, IDC_SYNC,
                   IDC_FINE_LINK_GAIN})
        static_cast<QCheckBox*>(Control(id))->setChecked(true);
    SetShowDebugInfo(false);
    return true;
}

void CDlgGainOffsetKelmir::DoDataExchange(bool save)
{
    if (!Control(IDC_SYNC))
        return;
    for (ComboParam* combo : {&m_dayNightMode, &m_tbMode, &m_powerControl, &m_ccdTemperatureMode})
        combo->Exchange(save);
    for (ComboParam& combo : m_coarse)
        combo.Exchange(save);
    const std::pair<int, int*> checks[] = {{IDC_DAY_LINK_GAIN, &m_dayLinkGain},     {IDC_DAY_LINK_OFFSET, &m_dayLinkOffset},
                                           {IDC_NIGHT_LINK_GAIN, &m_nightLinkGain}, {IDC_NIGHT_LINK_OFFSET, &m_nightLinkOffset},
                                           {IDC_SYNC, &m_sync},                     {IDC_FINE_LINK_GAIN, &m_fineLinkGain}};
    for (const auto& [id, state] : checks) {
        auto* box = static_cast<QCheckBox*>(Control(id));
        if (save)
            *state = box->isChecked() ? 1 : 0;
        else
            box->setChecked(*state != 0);
    }
    if (save)
        return;  // the read-outs are only shown
    for (int r = 0; r < kPresets; ++r)
        for (int c = 0; c < kChannels; ++c)
            static_cast<QLabel*>(Control(kPresetIds[r].texts[c]))
                ->setText(QString::fromStdString(m_presetTexts[r * kChannels + c]));
    for (int n = 0; n < kelmir_gain::kAdcChannels; ++n)
        static_cast<QLabel*>(Control(kAdcTextIds[n]))->setText(QString::fromStdString(m_adcTexts[n]));
}

// ---- reading the camera ----

_OrvStParam CDlgGainOffsetKelmir::Record(const char* name) const
{
    // Zeroed first: a name the catalogue lacks must not inherit another parameter's limits.
    _OrvStParam record{};
    IsParamDefined(name, &record);
    return record;
}

std::int64_t CDlgGainOffsetKelmir::ReadInt(const char* name, bool* read)
{
    std::int64_t value = 0;
    const bool answered = m_pStorage->GetParamInt(name, &value) == 0;
    if (read)
        *read = answered;
    return answered ? value : 0;
}

int CDlgGainOffsetKelmir::ReadFine(int channel)
{
    // A coarse register outside 1x..User names no preset: nothing to read.
    const char* preset = kelmir_gain::PresetName(m_coarse[channel].m_nValue, channel);
    bool read = false;
    const int fine = preset ? kelmir_gain::FineOf(ReadInt(preset, &read)) : 0;
    m_fineKnown[static_cast<std::size_t>(channel)] = read;
    return fine;
}

void CDlgGainOffsetKelmir::ReloadValues()
{
    if (!CanRefresh())
        return;
    // A list whose value the camera did not answer selects no item.
    const auto readChoice = [this](ComboParam& combo) {
        bool read = false;
        const std::int64_t value = ReadInt(combo.m_pszName, &read);
        combo.SetRead(read ? std::optional<std::int64_t>(value) : std::nullopt);
    };
    readChoice(m_dayNightMode);
    m_dayNightThreshold = ReadInt(names::kDayNightThreshold, &m_thresholdRead);
    for (int c = 0; c < kChannels; ++c)
        readChoice(m_coarse[c]);
    m_activeTaps = GetActiveTaps(*m_pStorage);
    readChoice(m_tbMode);
    m_digitalGainRaw = ReadInt(go::kDigitalGain, &m_digitalGainRead);
    m_digitalOffsetRaw = ReadInt(go::kDigitalOffset, &m_digitalOffsetRead);
    for (int c = 0; c < kChannels; ++c) {
        m_dayGain.raw[c] = ReadInt(m_dayGain.Name(c), &m_dayGain.read[c]);
        m_nightGain.raw[c] = ReadInt(m_nightGain.Name(c), &m_nightGain.read[c]);
        m_fine[c] = ReadFine(c);
    }
    for (int c = 0; c < kChannels; ++c) {
        m_dayOffset.raw[c] = ReadInt(m_dayOffset.Name(c), &m_dayOffset.read[c]);
        m_nightOffset.raw[c] = ReadInt(m_nightOffset.Name(c), &m_nightOffset.read[c]);
    }
    readChoice(m_powerControl);
    readChoice(m_ccdTemperatureMode);
    m_userTecRaw = ReadInt(names::kUserTECValue, &m_userTecKnown);
}

QRect CDlgGainOffsetKelmir::PopupRect(const OVNumericControl* control) const
{
    return scaled_numeric::PopupRectFor(control, kPopupWidth, kPopupShift);
}

void CDlgGainOffsetKelmir::WriteFine(int channel)
{
    m_fineKnown[static_cast<std::size_t>(channel)] = true;
    if (const char* preset = kelmir_gain::PresetName(m_coarse[channel].m_nValue, channel))
        WriteParamInt(preset, kelmir_gain::PresetWord(channel, m_fine[channel]));
}

void CDlgGainOffsetKelmir::RaiseFineToMinimum()
{
    const auto minimum = static_cast<std::int64_t>(m_fineScale.shownMin);
    for (int c = 0; c < kChannels; ++c) {
        if (m_fineKnown[static_cast<std::size_t>(c)] && m_fine[c] < minimum &&
            kelmir_gain::PresetName(m_coarse[c].m_nValue, c)) {
            m_fine[c] = minimum;
            WriteFine(c);
        }
    }
}

int CDlgGainOffsetKelmir::SnapUserTecValue(std::int64_t raw, bool write)
{
    const kelmir_gain::TecRow row = kelmir_gain::SnapUserTec(raw);
    // A set-point the camera did not answer is not replaced by a row.
    if (write && m_userTecKnown && row.raw != m_userTecRaw) {
        m_userTecRaw = row.raw;
        WriteParamInt(names::kUserTECValue, m_userTecRaw);
    }
    return row.celsius;
}

void CDlgGainOffsetKelmir::SetupControls()
{
    // Digital gain and offset, as on the other gain panel, with spin steps not rounded.
    const auto setupDigital = [this](OVNumericControl* control, const char* name, const char* limitsName,
                                     LimitsScale& scale, OVLinearScale& line, std::int64_t raw, bool gain) {
        const limits_scale::DisplayLimits limits = limits_scale::DisplayLimitsOf(Record(limitsName));
        scale = limits_scale::MakeLimitsScale(limits, limits_scale::RawRangeOf(Record(name)));
        const int spinSteps = gain ? limits_scale::SpinStepsOf(limits, false) : 0;
        scaled_numeric::Setup(control, this, line, scale, limits_scale::ShownFromRaw(scale, raw), spinSteps,
                              !gain || scale.raw, PopupRect(control),
                              gain && !scale.raw ? QStringLiteral("%.3f") : QString());
    };
    setupDigital(m_digitalGain, go::kDigitalGain, go::kDigitalGainLimits, m_digitalGainScale, m_digitalGainLine,
                 m_digitalGainRaw, true);
    setupDigital(m_digitalOffset, go::kDigitalOffset, go::kDigitalOffsetLimits, m_digitalOffsetScale,
                 m_digitalOffsetLine, m_digitalOffsetRaw, false);

    // One analog gain and one analog offset scale, from channel A's day registers, serve both groups.
    const limits_scale::DisplayLimits gainLimits = limits_scale::DisplayLimitsOf(Record(go::kAnalogGainLimits));
    m_gainScale = limits_scale::MakeLimitsScale(gainLimits, limits_scale::RawRangeOf(Record(m_dayGain.Name(0))));
    m_offsetScale = limits_scale::MakeLimitsScale(limits_scale::DisplayLimitsOf(Record(go::kAnalogOffsetLimits)),
                                                  limits_scale::RawRangeOf(Record(m_dayOffset.Name(0))));
    const int gainSteps = limits_scale::SpinStepsOf(gainLimits, false);
    for (TapRow* row : {&m_dayGain, &m_dayOffset, &m_nightGain, &m_nightOffset}) {
        for (int c = 0; c < kChannels; ++c) {
            OVNumericControl* control = row->controls[c];
            scaled_numeric::Setup(control, this, *row->line, *row->scale,
                                  limits_scale::ShownFromRaw(*row->scale, row->raw[c]), row->gain ? gainSteps : 0,
                                  !row->gain || row->scale->raw, PopupRect(control));
        }
    }

    // The threshold shows its raw word over the register's own range.
    const limits_scale::RawRange thresholdRange = limits_scale::RawRangeOf(Record(names::kDayNightThreshold));
    m_thresholdScale = Identity(thresholdRange.min, thresholdRange.max);
    scaled_numeric::Setup(m_threshold, this, m_thresholdLine, m_thresholdScale,
                          static_cast<double>(m_dayNightThreshold), 0, true, PopupRect(m_threshold));

    // The fine values over the EM gain limits; a value below them is raised and written.
    const _OrvStParam emLimits = Record(names::kEMGainLimits);
    m_fineScale = Identity(static_cast<double>(emLimits.min.n), static_cast<double>(emLimits.max.n));
    RaiseFineToMinimum();
    for (int c = 0; c < kChannels; ++c)
        scaled_numeric::Setup(m_fineControls[c], this, m_fineLine, m_fineScale, static_cast<double>(m_fine[c]), 0,
                              true, PopupRect(m_fineControls[c]));

    // The user set-point in whole degrees; a raw value off the table is replaced by its row.
    m_userTecScale = Identity(kelmir_gain::kUserTecMinCelsius, kelmir_gain::kUserTecMaxCelsius);
    scaled_numeric::Setup(m_userTec, this, m_userTecLine, m_userTecScale, SnapUserTecValue(m_userTecRaw, true), 0,
                          true, PopupRect(m_userTec));
}

void CDlgGainOffsetKelmir::ShowUnread()
{
    const auto unread = [](OVNumericControl* control, bool read) {
        if (control && !read)
            scaled_numeric::ShowNoReading(control);
    };
    unread(m_digitalGain, m_digitalGainRead);
    unread(m_digitalOffset, m_digitalOffsetRead);
    for (TapRow* row : {&m_dayGain, &m_dayOffset, &m_nightGain, &m_nightOffset})
        for (int c = 0; c < kChannels; ++c)
            unread(row->controls[c], row->read[c]);
    unread(m_threshold, m_thresholdRead);
    for (int c = 0; c < kChannels; ++c)
        unread(m_fineControls[c], m_fineKnown[static_cast<std::size_t>(c)]);
    unread(m_userTec, m_userTecKnown);
}

void CDlgGainOffsetKelmir::ShowValues()
{
    scaled_numeric::Show(m_digitalGain, limits_scale::ShownFromRaw(m_digitalGainScale, m_digitalGainRaw));
    scaled_numeric::Show(m_digitalOffset, limits_scale::ShownFromRaw(m_digitalOffsetScale, m_digitalOffsetRaw));
    for (TapRow* row : {&m_dayGain, &m_dayOffset, &m_nightGain, &m_nightOffset})
        for (int c = 0; c < kChannels; ++c)
            scaled_numeric::Show(row->controls[c], limits_scale::ShownFromRaw(*row->scale, row->raw[c]));
    scaled_numeric::Show(m_threshold, static_cast<double>(m_dayNightThreshold));
    RaiseFineToMinimum();
    for (int c = 0; c < kChannels; ++c)
        scaled_numeric::Show(m_fineControls[c], static_cast<double>(m_fine[c]));
    scaled_numeric::Show(m_userTec, SnapUserTecValue(m_userTecRaw, true));
}

bool CDlgGainOffsetKelmir::RefreshFromStorage()
{
    if (!CanRefresh())
        return true;
    ReloadValues();

    for (ComboParam* combo : {&m_dayNightMode, &m_tbMode, &m_powerControl, &m_ccdTemperatureMode}) {
        combo->Fill(this, m_pStorage, m_pXmlDoc.get());
        ListenTo(combo->m_pszName);
    }
    for (ComboParam& combo : m_coarse) {
        combo.Fill(this, m_pStorage, m_pXmlDoc.get());
        ListenTo(combo.m_pszName);
    }
    ListenTo(go::kTapsMode);
    for (const char* name : {names::kDayNightThreshold, go::kDigitalGain, go::kDigitalOffset, names::kUserTECValue})
        ListenTo(name);
    for (TapRow* row : {&m_dayGain, &m_dayOffset, &m_nightGain, &m_nightOffset})
        for (int c = 0; c < kChannels; ++c)
            ListenTo(row->Name(c));

    // Set up once: a changed limits parameter takes effect in a new panel.
    if (!m_bSetUp) {
        SetupControls();
        m_bSetUp = true;
    } else {
        ShowValues();
    }
    ShowUnread();
    UpdateData(false);
    UpdateEnabling();
    return true;
}

// ---- the operator's edits ----

bool CDlgGainOffsetKelmir::OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam)
{
    const int id = static_cast<int>(wnd::LoWord(wParam));
    const unsigned code = wnd::HiWord(wParam);
    if (code == wnd::OVN_CHANGED) {
        for (int c = 0; c < kChannels; ++c) {
            const ChannelIds& ids = kChannelIds[c];
            if (id == ids.dayGain)
                OnTapCommitted(m_dayGain, c);
            else if (id == ids.dayOffset)
                OnTapCommitted(m_dayOffset, c);
            else if (id == ids.nightGain)
                OnTapCommitted(m_nightGain, c);
            else if (id == ids.nightOffset)
                OnTapCommitted(m_nightOffset, c);
            else if (id == ids.fine)
                OnFineCommitted(c);
        }
        if (id == IDC_DIGITAL_GAIN && scaled_numeric::CommitSingle(m_digitalGain, m_digitalGainScale, m_digitalGainRaw))
            WriteParamInt(go::kDigitalGain, m_digitalGainRaw);
        else if (id == IDC_DIGITAL_OFFSET &&
                 scaled_numeric::CommitSingle(m_digitalOffset, m_digitalOffsetScale, m_digitalOffsetRaw))
            WriteParamInt(go::kDigitalOffset, m_digitalOffsetRaw);
        else if (id == IDC_DAY_NIGHT_THRESHOLD &&
                 scaled_numeric::CommitSingle(m_threshold, m_thresholdScale, m_dayNightThreshold))
            WriteParamInt(names::kDayNightThreshold, m_dayNightThreshold);
        else if (id == IDC_USER_TEC)
            OnUserTecCommitted();
    } else if (code == wnd::BN_CLICKED) {
        if (id == IDC_SYNC)
            OnBnClickedSync();
        else if (id == IDC_DAY_LINK_GAIN || id == IDC_DAY_LINK_OFFSET || id == IDC_NIGHT_LINK_GAIN ||
                 id == IDC_NIGHT_LINK_OFFSET || id == IDC_FINE_LINK_GAIN)
            UpdateData(true);
    } else if (code == wnd::CBN_SELCHANGE) {
        if (id == IDC_DAY_NIGHT_MODE) {
            WriteChoice(m_dayNightMode);
            UpdateEnabling();
        } else if (id == IDC_TB_MODE) {
            OnCbnSelchangeTBMode();
        } else if (id == IDC_TEC_MODE) {
            WriteChoice(m_powerControl);
        } else if (id == IDC_TEMPERATURE_MODE) {
            WriteChoice(m_ccdTemperatureMode);
            if (!m_bDebugMode)
                m_userTec->setEnabled(m_ccdTemperatureMode.m_nValue == kUserTecChoice);
        } else {
            for (int c = 0; c < kChannels; ++c)
                if (id == kChannelIds[c].coarse)
                    OnCoarseChoice(c);
        }
    }
    return COptionDialog::OnCommand(wParam, lParam);
}

void CDlgGainOffsetKelmir::OnTapCommitted(TapRow& row, int channel)
{
    scaled_numeric::CommitTap(row.controls, row.raw, channel, Linked(row), *row.scale,
                              [this, &row](int k) { WriteParamInt(row.Name(k), row.raw[k]); });
}

bool CDlgGainOffsetKelmir::Linked(const TapRow& row) const
{
    // A Link box the operator cannot use links nothing, ticked or not.
    const int id = row.day ? (row.gain ? IDC_DAY_LINK_GAIN : IDC_DAY_LINK_OFFSET)
                           : (row.gain ? IDC_NIGHT_LINK_GAIN : IDC_NIGHT_LINK_OFFSET);
    const QWidget* box = Control(id);
    return *row.link != 0 && box && box->isEnabled();
}

void CDlgGainOffsetKelmir::OnFineCommitted(int channel)
{
    OVNumericControl* control = m_fineControls[channel];
    if (!scaled_numeric::OperatorChanged(control))
        return;
    scaled_numeric::Show(control, control->value);
    const auto fine = static_cast<std::int64_t>(std::trunc(control->value));
    const QWidget* linkBox = Control(IDC_FINE_LINK_GAIN);
    // A fine value without a reading has no step to take the others along: it alone is written.
    const bool known = m_fineKnown[static_cast<std::size_t>(channel)];
    if (!m_fineLinkGain || !linkBox || !linkBox->isEnabled() || !known) {
        if (fine == m_fine[channel] && known)
            return;
        m_fine[channel] = fine;
        WriteFine(channel);
        return;
    }
    const std::int64_t delta = fine - m_fine[channel];
    if (delta == 0)
        return;
    for (int k = 0; k < kChannels; ++k) {
        // A channel that is not active (or held by the tap balance) stays, as does one the
        // camera did not answer.
        if (!m_fineControls[k]->isEnabled() || !m_fineKnown[static_cast<std::size_t>(k)])
            continue;
        m_fine[k] += delta;
        scaled_numeric::Show(m_fineControls[k], static_cast<double>(m_fine[k]));
        m_fine[k] = static_cast<std::int64_t>(std::trunc(m_fineControls[k]->value));
        WriteFine(k);
    }
}

void CDlgGainOffsetKelmir::OnUserTecCommitted()
{
    if (!scaled_numeric::OperatorChanged(m_userTec))
        return;
    scaled_numeric::Show(m_userTec, m_userTec->value);
    const std::optional<int> raw = kelmir_gain::CelsiusToTecRaw(static_cast<int>(std::trunc(m_userTec->value)));
    if (!raw || (*raw == m_userTecRaw && m_userTecKnown))
        return;
    m_userTecRaw = *raw;
    m_userTecKnown = true;
    WriteParamInt(names::kUserTECValue, m_userTecRaw);
}

bool CDlgGainOffsetKelmir::WriteChoice(ComboParam& combo)
{
    m_pStorage->RemoveParamChangedListener(combo.m_pszName, this);
    UpdateData(true);
    if (const std::optional<int> value = combo.SelectedValue())
        combo.m_nValue = *value;
    const int result = SetCameraParamInt(combo.m_pszName, combo.m_nValue);
    m_pStorage->AddParamChangedListener(combo.m_pszName, this);
    return Written(result) || result == kOrvParamUnchanged;
}

void CDlgGainOffsetKelmir::OnCbnSelchangeTBMode()
{
    m_pStorage->RemoveParamChangedListener(go::kTBMode, this);
    UpdateData(true);
    if (const std::optional<int> value = m_tbMode.SelectedValue())
        m_tbMode.m_nValue = *value;
    // The one-time balance runs when the register goes from 0 to 2.
    if (!m_bDebugMode && m_tbMode.m_nValue == 2)
        SetCameraParamInt(go::kTBMode, 0);
    SetCameraParamInt(go::kTBMode, m_tbMode.m_nValue);
    m_pStorage->AddParamChangedListener(go::kTBMode, this);
    UpdateEnabling();
}

void CDlgGainOffsetKelmir::SetCoarse(int channel, int choice)
{
    ComboParam& coarse = m_coarse[channel];
    coarse.m_nValue = choice;
    m_pStorage->RemoveParamChangedListener(coarse.m_pszName, this);
    const int result = SetCameraParamInt(coarse.m_pszName, choice);
    m_pStorage->AddParamChangedListener(coarse.m_pszName, this);
    // A choice the camera did not take leaves the fine value of the preset it holds (its own
    // choice comes back to the list).
    if (!Written(result) && result != kOrvParamUnchanged)
        return;
    // The fine value is the one held in the new preset.
    m_fine[channel] = ReadFine(channel);
    scaled_numeric::Show(m_fineControls[channel], static_cast<double>(m_fine[channel]));
}

void CDlgGainOffsetKelmir::OnCoarseChoice(int channel)
{
    // A choice the camera refused moves nothing else: neither the fine value nor, with Sync, the
    // other channels; the camera's own choice comes back to the list.
    if (!WriteChoice(m_coarse[channel]))
        return;
    m_fine[channel] = ReadFine(channel);
    scaled_numeric::Show(m_fineControls[channel], static_cast<double>(m_fine[channel]));
    if (channel == 0 && m_sync && Control(IDC_SYNC)->isEnabled())
        SyncCoarse();
    UpdateData(false);
}

void CDlgGainOffsetKelmir::SyncCoarse()
{
    const ComboParam& a = m_coarse[0];
    for (int c = 1; c < kChannels; ++c) {
        // Only the active channels follow.
        if (m_coarse[c].m_nValue == a.m_nValue || !m_fineControls[c]->isEnabled())
            continue;
        m_coarse[c].m_nIndex = a.m_nIndex;
        SetCoarse(c, a.m_nValue);
    }
}

void CDlgGainOffsetKelmir::OnBnClickedSync()
{
    UpdateData(true);
    if (m_sync) {
        SyncCoarse();
        UpdateData(false);
    }
    UpdateEnabling();
}

// ---- changes made elsewhere ----

void CDlgGainOffsetKelmir::OnParamChanged(const _OrvStParam* param)
{
    if (!param)
        return;
    const char* name = param->name;
    const std::int64_t value = static_cast<std::int32_t>(param->value.n);
    auto is = [name](const char* other) { return std::strcmp(name, other) == 0; };
    if (is(names::kDayNightMode) || is(go::kTBMode)) {
        (is(go::kTBMode) ? m_tbMode : m_dayNightMode).OnValueChanged(static_cast<int>(value));
        UpdateEnabling();
    } else if (is(names::kPowerControlEnable)) {
        m_powerControl.OnValueChanged(static_cast<int>(value));
    } else if (is(names::kCCDTemperatureMode)) {
        m_ccdTemperatureMode.OnValueChanged(static_cast<int>(value));
    } else if (is(go::kTapsMode)) {
        m_activeTaps = GetActiveTaps(*m_pStorage);
        UpdateEnabling();
    } else if (is(names::kDayNightThreshold)) {
        m_dayNightThreshold = value;
        scaled_numeric::Show(m_threshold, static_cast<double>(value));
    } else if (is(go::kDigitalGain)) {
        m_digitalGainRaw = value;
        scaled_numeric::Show(m_digitalGain, limits_scale::ShownFromRaw(m_digitalGainScale, value));
    } else if (is(go::kDigitalOffset)) {
        m_digitalOffsetRaw = value;
        scaled_numeric::Show(m_digitalOffset, limits_scale::ShownFromRaw(m_digitalOffsetScale, value));
    } else if (is(names::kUserTECValue)) {
        m_userTecRaw = value;
        m_userTecKnown = true;
        scaled_numeric::Show(m_userTec, SnapUserTecValue(value, false));
    } else {
        bool found = false;
        for (TapRow* row : {&m_dayGain, &m_dayOffset, &m_nightGain, &m_nightOffset}) {
            for (int c = 0; c < kChannels && !found; ++c) {
                if (is(row->Name(c))) {
                    scaled_numeric::TapChanged(row->controls, row->raw, c, value, Linked(*row), *row->scale,
                                               [this, row](int k) { WriteParamInt(row->Name(k), row->raw[k]); });
                    found = true;
                }
            }
        }
        // A coarse choice made elsewhere: the fine value is not reloaded.
        for (int c = 0; c < kChannels && !found; ++c) {
            if (is(m_coarse[c].m_pszName)) {
                m_coarse[c].OnValueChanged(static_cast<int>(value));
                found = true;
            }
        }
        // The preset a channel's fine value lives in (its value after a write it did not take).
        for (int c = 0; c < kChannels && !found; ++c) {
            const char* preset = kelmir_gain::PresetName(m_coarse[c].m_nValue, c);
            if (preset && is(preset)) {
                m_fine[c] = kelmir_gain::FineOf(value);
                scaled_numeric::Show(m_fineControls[c], static_cast<double>(m_fine[c]));
                found = true;
            }
        }
    }
    UpdateData(false);
}

// ---- enabling and debug info ----

void CDlgGainOffsetKelmir::UpdateEnabling()
{
    std::vector<QWidget*> all = {m_digitalGain, m_digitalOffset, m_threshold, m_userTec};
    for (int id : {IDC_TB_MODE, IDC_DAY_NIGHT_MODE, IDC_TEC_MODE, IDC_TEMPERATURE_MODE, IDC_DAY_LINK_GAIN,
                   IDC_DAY_LINK_OFFSET, IDC_NIGHT_LINK_GAIN, IDC_NIGHT_LINK_OFFSET, IDC_SYNC, IDC_FINE_LINK_GAIN})
        all.push_back(Control(id));
    for (int c = 0; c < kChannels; ++c)
        for (int id : {kChannelIds[c].dayGain, kChannelIds[c].dayOffset, kChannelIds[c].nightGain,
                       kChannelIds[c].nightOffset, kChannelIds[c].coarse, kChannelIds[c].fine})
            all.push_back(Control(id));
    if (m_bDebugMode) {
        for (QWidget* w : all)
            w->setEnabled(true);
        return;
    }
    m_userTec->setEnabled(m_ccdTemperatureMode.m_nValue == kUserTecChoice);
    Control(IDC_TB_MODE)->setEnabled(m_activeTaps > 1);

    const bool balanced = m_tbMode.m_nValue != 0;
    const bool checksOn = !balanced && m_activeTaps > 1;
    auto channelOn = [this, balanced](int c) { return balanced ? c == 0 : c < m_activeTaps; };
    auto group = [&](const TapRow& gain, const TapRow& offset, int linkGain, int linkOffset, bool active) {
        for (int c = 0; c < kChannels; ++c) {
            gain.controls[c]->setEnabled(active && channelOn(c));
            offset.controls[c]->setEnabled(active && channelOn(c));
        }
        Control(linkGain)->setEnabled(active && checksOn);
        Control(linkOffset)->setEnabled(active && checksOn);
    };
    const int mode = m_dayNightMode.m_nValue;
    const bool single = mode == 0 || mode == 1;  // Day or Night alone; otherwise both with the threshold
    m_threshold->setEnabled(!single);
    group(m_dayGain, m_dayOffset, IDC_DAY_LINK_GAIN, IDC_DAY_LINK_OFFSET, !single || mode == 0);
    group(m_nightGain, m_nightOffset, IDC_NIGHT_LINK_GAIN, IDC_NIGHT_LINK_OFFSET, !single || mode == 1);
    Control(IDC_SYNC)->setEnabled(checksOn);
    Control(IDC_FINE_LINK_GAIN)->setEnabled(checksOn);
    for (int c = 0; c < kChannels; ++c) {
        m_fineControls[c]->setEnabled(channelOn(c));
        Control(kChannelIds[c].coarse)->setEnabled(channelOn(c) && (balanced || !m_sync || c == 0));
    }
}

void CDlgGainOffsetKelmir::SetShowDebugInfo(bool show)
{
    m_bShowDebugInfo = show;
    // The whole area: the preset rows and the ADC read-outs with their box and captions, which
    // have no ids; left shown, they would lie below the shortened panel.
    const QRect area = Control(IDC_REG_VALUES)->geometry();
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (area.contains(w->geometry()))
            w->setVisible(show);
    panel_template::FitHeightBelow(this, show ? IDC_REG_VALUES : IDC_EM_GAIN_BOX, kMargin);
}

void CDlgGainOffsetKelmir::RefreshLiveValues()
{
    if (!m_bShowDebugInfo || !m_pStorage)
        return;
    for (int r = 0; r < kPresets; ++r) {
        for (int c = 0; c < kChannels; ++c) {
            char text[16];
            std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(ReadInt(kelmir_gain::PresetName(r, c))));
            m_presetTexts[r * kChannels + c] = text;
        }
    }
    // The ADC read-outs need supervisor mode; refused, only the presets are shown.
    if (m_pStorage->SetSupervisorMode(true) == 0) {
        for (int n = 0; n < kelmir_gain::kAdcChannels; ++n) {
            const std::int64_t select = kelmir_gain::AdcSelectWord(ReadInt(names::kADCAddrSel), n);
            m_pStorage->SetParamIntIfOnline(names::kADCAddrSel, select, true, false);
            m_adcTexts[n] = kelmir_gain::FormatAdc(n, ReadInt(names::kADCData));
        }
        m_pStorage->SetSupervisorMode(false);
    }
    UpdateData(false);
}

std::optional<float> CDlgGainOffsetKelmir::TecRawToCelsius(std::int64_t raw) const
{
    return kelmir_gain::TecRawToCelsius(raw);
}
