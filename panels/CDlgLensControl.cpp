#include "panels/CDlgLensControl.h"

#include "camera/CameraLink.h"
#include "controls/CEdit.h"
#include "controls/DialogUnits.h"
#include "controls/DlgItem.h"
#include "controls/IconResource.h"
#include "controls/OVNumericControl.h"
#include "controls/ParamBinding.h"
#include "controls/WindowIds.h"
#include "panels/PanelNames.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>
#include <cstring>

namespace names = panel_names::lens;

namespace {

constexpr int kNumericStyle = OVNumericControl::kDropDown | OVNumericControl::kVertical | OVNumericControl::kPopupAtRect;
constexpr int kStepPopupWidth = 38;
constexpr int kStepPopupWidthDebug = 76;

struct MoveButton {
    int id;
    const char* text;
    const char* hint;
    const char* command;
};

constexpr MoveButton kFocusButtons[] = {
    {CDlgLensControl::IDC_FOCUS_NEAR_FULL, "<<", "Near Full", names::kFocusNearFull},
    {CDlgLensControl::IDC_FOCUS_NEAR_STEP, "<", "Near Step", names::kFocusNearStep},
    {CDlgLensControl::IDC_FOCUS_STOP, "", "Stop", names::kFocusStop},
    {CDlgLensControl::IDC_FOCUS_FAR_STEP, ">", "Far Step", names::kFocusFarStep},
    {CDlgLensControl::IDC_FOCUS_FAR_FULL, ">>", "Far Full", names::kFocusFarFull},
};

constexpr MoveButton kIrisButtons[] = {
    {CDlgLensControl::IDC_IRIS_OPEN_FULL, "<<", "Open Full", names::kIrisOpenFull},
    {CDlgLensControl::IDC_IRIS_OPEN_STEP, "<", "Open Step", names::kIrisOpenStep},
    {CDlgLensControl::IDC_IRIS_STOP, "", "Stop", names::kIrisStop},
    {CDlgLensControl::IDC_IRIS_CLOSE_STEP, ">", "Close Step", names::kIrisCloseStep},
    {CDlgLensControl::IDC_IRIS_CLOSE_FULL, ">>", "Close Full", names::kIrisCloseFull},
};

}  // namespace

CDlgLensControl::CDlgLensControl(QWidget* mainWnd, CCameraLink* link) : COptionDialog(IDD, mainWnd, link) {}

// ---- template 238 ----

void CDlgLensControl::BuildTemplate()
{
    const auto place = [](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(wnd::MapDialogRect(x, y, width, height));
    };
    const auto label = [&](const char* text, int x, int y, int width, int id = 0) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        if (id)
            wnd::SetDlgCtrlID(l, id);
        place(l, x, y, width, 8);
        return l;
    };
    const auto group = [&](const char* text, int id, int x, int y, int width, int height) {
        auto* g = new QGroupBox(QString::fromLatin1(text), this);
        wnd::SetDlgCtrlID(g, id);
        place(g, x, y, width, height);
        g->lower();
    };
    const auto button = [&](const char* text, int id, int x, int y, int width) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        wnd::SetDlgCtrlID(b, id);
        place(b, x, y, width, 14);
        connect(b, &QPushButton::clicked, this,
                [this, id] { OnCommand(wnd::MakeWParam(id, wnd::BN_CLICKED), wnd::WindowHandle(GetDlgItem(id))); });
        return b;
    };
    const auto edit = [&](int id, int x, int y, int width, bool readOnly) {
        auto* e = new CEdit(this, id);
        e->setReadOnly(readOnly);
        place(e, x, y, width, 12);
        return e;
    };

    // Group boxes are frames beside their controls, drawn below them.
    group("Focus", IDC_FOCUS_GROUP, 4, 36, 206, 48);
    group("Encoder Status", IDC_ENCODER_GROUP, 4, 88, 206, 30);
    group("Iris", IDC_IRIS_GROUP, 4, 122, 206, 80);
    group("Iris Range", IDC_RANGE_GROUP, 4, 206, 206, 48);

    label("Lens Clock Polarity:", 7, 8, 78);
    m_pPolarity = new QComboBox(this);
    wnd::SetDlgCtrlID(m_pPolarity, IDC_LENS_POLARITY);
    place(m_pPolarity, 86, 6, 70, 12);
    connect(m_pPolarity, &QComboBox::activated, this, [this] {
        OnCommand(wnd::MakeWParam(IDC_LENS_POLARITY, CBN_SELCHANGE), wnd::WindowHandle(m_pPolarity));
    });
    button("Init", IDC_LENS_INIT, 162, 5, 44);
    label("Status:", 7, 24, 30);
    label("Done", 40, 24, 80, IDC_LENS_STATUS);

    for (int i = 0; i < 5; ++i) {
        QPushButton* b = button(kFocusButtons[i].text, kFocusButtons[i].id, 10 + 40 * i, 48, 36);
        b->setToolTip(QString::fromLatin1(kFocusButtons[i].hint));
    }
    label("Step:", 10, 68, 24);
    m_pFocusStep = new OVNumericControl(this, IDC_FOCUS_STEP);
    place(m_pFocusStep, 36, 66, 60, 12);

    edit(IDC_ENCODER, 10, 100, 70, true);
    button("Get", IDC_ENCODER_GET, 86, 99, 50);
    button("Reset", IDC_ENCODER_RESET, 142, 99, 50);

    for (int i = 0; i < 5; ++i) {
        QPushButton* b = button(kIrisButtons[i].text, kIrisButtons[i].id, 10 + 40 * i, 134, 36);
        b->setToolTip(QString::fromLatin1(kIrisButtons[i].hint));
    }
    label("Step:", 10, 154, 24);
    m_pIrisStep = new OVNumericControl(this, IDC_IRIS_STEP);
    place(m_pIrisStep, 36, 152, 60, 12);
    label("open", 10, 172, 20);
    place(new CTrackBar(Qt::Horizontal, this, IDC_IRIS_SLIDER), 32, 170, 140, 14);
    label("close", 176, 172, 26);
    label("f/", 10, 188, 10);
    edit(IDC_IRIS_EDIT, 22, 186, 40, false);
    place(new CUpDownCtrl(this, IDC_IRIS_SPIN), 62, 186, 10, 12);
    label("Current Value:", 80, 188, 56);
    edit(IDC_IRIS_POSITION, 138, 186, 66, true);

    label("Min1:", 10, 220, 22);
    edit(IDC_RANGE_MIN1, 34, 218, 50, true);
    label("Min2:", 96, 220, 22);
    edit(IDC_RANGE_MIN2, 120, 218, 50, true);
    label("Max:", 10, 236, 22);
    edit(IDC_RANGE_MAX, 34, 234, 50, true);
    button("Get", IDC_RANGE_GET, 120, 233, 50);

    resize(wnd::MapDialogRect(0, 0, 214, 258).size());
}

bool CDlgLensControl::OnPreInitDialog()
{
    for (int id : {IDC_FOCUS_STOP, IDC_IRIS_STOP})
        if (auto* stop = qobject_cast<QPushButton*>(GetDlgItem(id)))
            stop->setIcon(wnd::LoadIconResource(wnd::IDI_STOP));
    m_iris.m_nId = m_iris.m_nSliderId = IDC_IRIS_SLIDER;
    m_iris.m_nEditId = IDC_IRIS_EDIT;
    m_iris.m_nSpinId = IDC_IRIS_SPIN;
    m_iris.m_hParent = this;
    m_iris.m_pConverter = this;
    return true;
}

void CDlgLensControl::DoDataExchange(bool save)
{
    m_iris.DataExchange(this, save);
    if (save) {
        m_nPolarityIndex = m_pPolarity ? m_pPolarity->currentIndex() : 0;
        return;
    }
    SetText(IDC_LENS_STATUS, m_strStatus);
    if (m_pPolarity && m_nPolarityIndex >= 0 && m_nPolarityIndex < m_pPolarity->count())
        m_pPolarity->setCurrentIndex(m_nPolarityIndex);
}

// ---- refresh ----

bool CDlgLensControl::RefreshFromStorage()
{
    if (!CanRefresh())
        return true;
    // Every refresh initialises the lens and reads its iris range.
    OnBnClickedInit();
    ReloadValues();

    FillComboFromXml(m_pPolarity, m_nPolarity, m_polarityIndex, m_pStorage, m_pXmlDoc.get(), names::kLensPolarity,
                     nullptr);
    if (!m_polarityRead)
        m_pPolarity->setCurrentIndex(-1);  // never the choice of a value nobody read
    m_nPolarityIndex = m_pPolarity->currentIndex();
    ListenTo(names::kLensPolarity);

    _OrvStParam record{};
    if (IsParamDefined(names::kFocusStepValue, &record)) {
        const QRect popup = StepPopupRect(IDC_FOCUS_STEP);
        m_pFocusStep->Init(kNumericStyle, this, static_cast<double>(record.max.n), static_cast<double>(record.min.n),
                           m_nFocusStep, static_cast<int>(record.max.n), true, nullptr, &popup);
        m_pFocusStep->liveNotify = false;
        if (!m_focusStepRead)
            m_pFocusStep->ShowNoReading();
        ListenTo(names::kFocusStepValue);
    }

    record = _OrvStParam{};
    if (IsParamDefined(names::kIrisStepValue, &record)) {
        const QRect popup = StepPopupRect(IDC_IRIS_STEP);
        const int upper = lens::IrisStepUpper(record.max.n, m_nIrisUpper, m_bDebugMode);
        m_pIrisStep->Init(kNumericStyle, this, upper - m_nIrisLower, static_cast<double>(record.min.n), m_nIrisStep,
                          static_cast<int>(record.max.n), true, nullptr, &popup);
        m_pIrisStep->liveNotify = false;
        if (!m_irisStepRead)
            m_pIrisStep->ShowNoReading();
        m_bIrisStepReady = true;
        for (const char* name : {names::kIrisStepValue, names::kIrisOpenFull, names::kIrisOpenStep,
                                 names::kIrisCloseStep, names::kIrisCloseFull})
            ListenTo(name);
    }

    OnBnClickedGetEncoder();
    UpdateData(false);
    return true;
}

void CDlgLensControl::ReloadValues()
{
    const std::optional<std::int64_t> polarity = ReadAnswer(names::kLensPolarity);
    const std::optional<std::int64_t> focusStep = ReadAnswer(names::kFocusStepValue);
    const std::optional<std::int64_t> irisStep = ReadAnswer(names::kIrisStepValue);
    m_polarityRead = polarity.has_value();
    m_focusStepRead = focusStep.has_value();
    m_irisStepRead = irisStep.has_value();
    m_nPolarity = static_cast<int>(polarity.value_or(0));
    m_nFocusStep = static_cast<int>(focusStep.value_or(0));
    m_nIrisStep = static_cast<int>(irisStep.value_or(0));
}

QRect CDlgLensControl::StepPopupRect(int controlId) const
{
    const QWidget* control = GetDlgItem(controlId);
    const QRect r = control ? control->geometry() : QRect();
    return QRect(r.x() + r.width(), r.y(), m_bDebugMode ? kStepPopupWidthDebug : kStepPopupWidth, 5 * r.height());
}

// ---- lens and iris range ----

void CDlgLensControl::OnBnClickedInit()
{
    // An initialisation the camera never got has not succeeded, whatever the status holds.
    const bool sent = Written(WriteParamInt(names::kInitLens, 1));
    m_strStatus = sent && (Read(names::kLensCtrlStatus) & 8) != 0 ? QStringLiteral("Done") : QStringLiteral("Failed");
    OnBnClickedGetIrisRange();
    UpdateData(false);
}

void CDlgLensControl::OnBnClickedGetIrisRange()
{
    WriteParamInt(names::kGetApertureRange, 1);
    const std::optional<std::int64_t> word = ReadAnswer(names::kIrisRange);
    const lens::IrisRange range = lens::DecodeIrisRange(word.value_or(0));
    m_nIrisUpper = range.max;
    m_apertures.Build(range.max);
    m_nIrisLower = range.Lower();
    m_iris.SetRange(m_nIrisLower, range.max, m_nIrisLower, true);
    ShowIrisPosition();
    _OrvStParam record{};
    if (m_bIrisStepReady && IsParamDefined(names::kIrisStepValue, &record))
        SetIrisStepLimit(record);
    const auto rangeText = [&](int value) {
        return word ? QString::fromStdString(lens::RangeText(value, m_apertures)) : QString::fromLatin1(kNoReading);
    };
    SetText(IDC_RANGE_MIN1, rangeText(range.min1));
    SetText(IDC_RANGE_MIN2, rangeText(range.min2));
    SetText(IDC_RANGE_MAX, rangeText(range.max));
}

void CDlgLensControl::ShowIrisPosition()
{
    const std::optional<std::int64_t> answer = ReadAnswer(names::kIrisPosition);
    if (!answer) {
        m_iris.ShowNoReading();
        SetText(IDC_IRIS_POSITION, QString::fromLatin1(kNoReading));
        return;
    }
    const int position = static_cast<int>(*answer);
    const int shown = lens::ClampToIrisRange(position, m_nIrisLower, m_nIrisUpper);
    if (shown != m_iris.m_nValue || m_iris.m_bNoReading)
        m_iris.SetValue(shown, true);
    SetText(IDC_IRIS_POSITION,
            QString::fromStdString(lens::PositionText(position, m_nIrisLower, m_nIrisUpper, m_apertures)));
}

void CDlgLensControl::SetIrisStepLimit(const _OrvStParam& record)
{
    const int upper = lens::IrisStepUpper(record.max.n, m_nIrisUpper, m_bDebugMode);
    m_pIrisStep->SetRange(upper - m_nIrisLower, static_cast<double>(record.min.n));
    const int step = static_cast<int>(std::trunc(m_pIrisStep->value));
    // A step the camera did not answer is not held in the new range and written.
    if (step != m_nIrisStep && m_irisStepRead) {
        m_nIrisStep = step;
        WriteParamInt(names::kIrisStepValue, step);
    }
}

void CDlgLensControl::MoveIrisToSlider()
{
    const std::optional<std::int64_t> position = ReadAnswer(names::kIrisPosition);
    if (!position) {
        // No move from a position nobody read: the step would be wrong.
        ShowIrisPosition();
        return;
    }
    const int current = static_cast<int>(*position);
    const int target = m_iris.m_nValue;
    if (current == target)
        return;
    m_pStorage->RemoveParamChangedListener(names::kIrisStepValue, this);
    if (Written(SetCameraParamInt(names::kIrisStepValue, std::abs(current - target)))) {
        SendIrisCommand(current < target ? names::kIrisCloseStep : names::kIrisOpenStep);
        // The operator's step stands again for the step buttons.
        SetCameraParamInt(names::kIrisStepValue, m_nIrisStep);
    } else {
        // No move with the camera's old step: the slider goes back to where the iris stands.
        ShowIrisPosition();
    }
    m_pStorage->AddParamChangedListener(names::kIrisStepValue, this);
}

void CDlgLensControl::SendIrisCommand(const char* name)
{
    m_pStorage->RemoveParamChangedListener(name, this);
    SetCameraParamInt(name, 1);
    m_pStorage->AddParamChangedListener(name, this);
    ShowIrisPosition();
}

void CDlgLensControl::FocusCommand(const char* name)
{
    // Focus moves leave the listeners as they are.
    if (m_pStorage)
        SetCameraParamInt(name, 1);
}

// ---- encoder and polarity ----

void CDlgLensControl::OnBnClickedGetEncoder()
{
    WriteParamInt(names::kGetFocusEncoder, 1);
    const std::optional<std::int64_t> state = ReadAnswer(names::kFocusState);
    SetText(IDC_ENCODER,
            state ? QString::number(lens::FocusEncoderValue(*state)) : QString::fromLatin1(kNoReading));
}

void CDlgLensControl::OnBnClickedResetEncoder()
{
    WriteParamInt(names::kResetFocusEncoder, 1);
    OnBnClickedGetEncoder();
}

void CDlgLensControl::OnCbnSelchangePolarity()
{
    const int index = m_pPolarity->currentIndex();
    if (index < 0)
        return;
    m_nPolarityIndex = index;
    m_polarityRead = true;
    m_nPolarity = m_pPolarity->itemData(index).toInt();
    WriteParamInt(names::kLensPolarity, m_nPolarity);
}

// ---- messages ----

bool CDlgLensControl::OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam)
{
    const int id = static_cast<int>(wnd::LoWord(wParam));
    const unsigned code = wnd::HiWord(wParam);

    if (id == IDC_IRIS_EDIT && code == wnd::EN_KILLFOCUS && GetDlgItem(IDC_IRIS_EDIT)) {
        const int result = m_iris.OnEditCommit();
        if (result == 1)
            MoveIrisToSlider();
        if (result != 0)
            return true;
    }
    if (code == wnd::OVN_CHANGED && (id == IDC_FOCUS_STEP || id == IDC_IRIS_STEP)) {
        OVNumericControl* control = id == IDC_FOCUS_STEP ? m_pFocusStep : m_pIrisStep;
        int& stored = id == IDC_FOCUS_STEP ? m_nFocusStep : m_nIrisStep;
        const int step = static_cast<int>(std::trunc(control->value));
        bool& read = id == IDC_FOCUS_STEP ? m_focusStepRead : m_irisStepRead;
        if (step != stored || !read) {
            read = true;
            stored = step;
            WriteParamInt(id == IDC_FOCUS_STEP ? names::kFocusStepValue : names::kIrisStepValue, step);
        }
        return true;
    }
    if (code == CBN_SELCHANGE && id == IDC_LENS_POLARITY) {
        OnCbnSelchangePolarity();
        return true;
    }
    if (code == wnd::BN_CLICKED) {
        for (const MoveButton& b : kFocusButtons)
            if (b.id == id) {
                FocusCommand(b.command);
                return true;
            }
        for (const MoveButton& b : kIrisButtons)
            if (b.id == id) {
                SendIrisCommand(b.command);
                return true;
            }
        switch (id) {
        case IDC_LENS_INIT:
            OnBnClickedInit();
            return true;
        case IDC_ENCODER_GET:
            OnBnClickedGetEncoder();
            return true;
        case IDC_ENCODER_RESET:
            OnBnClickedResetEncoder();
            return true;
        case IDC_RANGE_GET:
            OnBnClickedGetIrisRange();
            return true;
        default:
            break;
        }
    }
    return COptionDialog::OnCommand(wParam, lParam);
}

void CDlgLensControl::OnHScroll(unsigned code, int pos, QWidget* scrollBar)
{
    if (m_nHScrollBusy.exchange(1))
        return;
    if (m_iris.OnHScroll(code, pos, scrollBar) == 1)
        MoveIrisToSlider();
    m_nHScrollBusy = 0;
}

void CDlgLensControl::OnVScroll(unsigned code, int pos, QWidget* scrollBar)
{
    if (m_nVScrollBusy.exchange(1))
        return;
    if (m_iris.OnVScroll(code, pos, scrollBar) == 1)
        MoveIrisToSlider();
    m_nVScrollBusy = 0;
}

void CDlgLensControl::OnParamChanged(const _OrvStParam* param)
{
    const char* name = param->name;
    const int value = static_cast<int>(param->value.n);
    if (std::strcmp(name, names::kLensPolarity) == 0) {
        if (value != m_nPolarity || !m_polarityRead) {
            m_polarityRead = true;
            m_nPolarity = value;
            const auto it = m_polarityIndex.find(value);
            if (it != m_polarityIndex.end())
                m_nPolarityIndex = it->second;
        }
    } else if (std::strcmp(name, names::kFocusStepValue) == 0) {
        if (value != m_nFocusStep || !m_focusStepRead) {
            m_focusStepRead = true;
            m_nFocusStep = value;
            m_pFocusStep->SetValue(value);
        }
    } else if (std::strcmp(name, names::kIrisStepValue) == 0) {
        if (value != m_nIrisStep || !m_irisStepRead) {
            m_irisStepRead = true;
            m_nIrisStep = value;
            m_pIrisStep->SetValue(value);
        }
    } else if (std::strcmp(name, names::kIrisOpenFull) == 0 || std::strcmp(name, names::kIrisOpenStep) == 0 ||
               std::strcmp(name, names::kIrisCloseFull) == 0 || std::strcmp(name, names::kIrisCloseStep) == 0) {
        ShowIrisPosition();
    }
    UpdateData(false);
}

// ---- converter ----

std::string CDlgLensControl::ValueToText(int index)
{
    return m_apertures.IndexToText(index);
}

std::optional<int> CDlgLensControl::TextToValue(const std::string& text)
{
    return m_apertures.TextToIndex(text);
}

// ---- helpers ----

std::int64_t CDlgLensControl::Read(const char* name)
{
    return ReadAnswer(name).value_or(0);
}

std::optional<std::int64_t> CDlgLensControl::ReadAnswer(const char* name)
{
    std::int64_t value = 0;
    if (!m_pStorage || m_pStorage->GetParamInt(name, &value) != 0)
        return std::nullopt;
    return value;
}

void CDlgLensControl::SetText(int id, const QString& text)
{
    if (QWidget* w = GetDlgItem(id)) {
        if (auto* l = qobject_cast<QLabel*>(w))
            l->setText(text);
        else if (auto* e = qobject_cast<QLineEdit*>(w))
            e->setText(text);
    }
}
