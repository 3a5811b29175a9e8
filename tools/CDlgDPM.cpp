#include "tools/CDlgDPM.h"

#include "camera/CameraLink.h"
#include "controls/BindingLogic.h"
#include "controls/CUpDownCtrl.h"
#include "controls/DlgItem.h"
#include "controls/FileDialog.h"
#include "controls/MessageBox.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QStyle>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <span>

namespace {

struct SpaceItem {
    const char* text;
    int code;
};

constexpr SpaceItem kGuruItems[] = {
    {"DPM Factory Space", dpm::kDpmFactory}, {"BPM Factory Space", dpm::kBpmFactory},
    {"DPM User Space", dpm::kDpmUser},       {"BPM User Space", dpm::kBpmUser},
    {"FFC X Factory Space", dpm::kFfcXFactory}, {"FFC Y Factory Space", dpm::kFfcYFactory},
    {"FFC X User Space", dpm::kFfcXUser},    {"FFC Y User Space", dpm::kFfcYUser},
    {"AFE Space", dpm::kAfe},
};
constexpr SpaceItem kPlainItems[] = {
    {"BPM Factory Space", dpm::kBpmFactory},
    {"BPM User Space", dpm::kBpmUser},
};

constexpr int kColumnWidth = 55;
constexpr int kTickMs = 10;
// Work done in one tick before the window gets its events again.
constexpr int kTickBudgetMs = 30;
// A page the camera did not take is tried again this often.
constexpr int kRetryMs = 1000;

QString SuffixOf(int code)
{
    if (code == dpm::kBpmFactory || code == dpm::kBpmUser)
        return "bcm";
    if (code == dpm::kDpmFactory || code == dpm::kDpmUser)
        return "dcm";
    return "txt";
}

}  // namespace

CDlgDPM::CDlgDPM(QWidget* parent, CCameraLink* link, bool guruMode, bool largeSensor, platform::IClock* clock)
    : QDialog(parent),
      m_pLink(link),
      m_engine(*link, largeSensor, clock),
      m_largeSensor(m_engine.LargeSensor())
{
    setWindowTitle("Bad Pixel Map");
    setModal(true);

    m_mapType = new QComboBox(this);
    for (const SpaceItem& item : guruMode ? std::span<const SpaceItem>(kGuruItems) : std::span<const SpaceItem>(kPlainItems))
        m_mapType->addItem(item.text, item.code);
    m_mapType->setCurrentIndex(0);

    m_list = new QTableWidget(0, 4, this);
    m_list->setHorizontalHeaderLabels({"Num", "X ", "Y ", "C "});
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 6);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int column = 0; column < 4; ++column)
        m_list->setColumnWidth(column, kColumnWidth);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setMinimumSize(4 * kColumnWidth + 40, 260);

    auto* editX = new QLineEdit(this);
    auto* editY = new QLineEdit(this);
    auto* spinX = new CUpDownCtrl(this, IDC_SPIN_X);
    auto* spinY = new CUpDownCtrl(this, IDC_SPIN_Y);
    for (QLineEdit* edit : {editX, editY}) {
        edit->setAlignment(Qt::AlignRight);
        edit->setMaxLength(5);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance("000000") + 12);
    }
    m_add = new QPushButton("Add Pixel", this);
    m_save = new QPushButton("Save To File", this);
    m_close = new QPushButton("Close", this);
    // Enter in an edit takes its value and never closes the dialog or presses a button.
    for (QPushButton* button : {m_add, m_save, m_close}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    m_waitText = new QLabel(this);
    m_waitText->setWordWrap(true);
    m_waitText->setMinimumHeight(2 * m_waitText->fontMetrics().height() + 4);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);

    wnd::SetDlgCtrlID(m_mapType, IDC_MAP_TYPE);
    wnd::SetDlgCtrlID(m_list, IDC_LIST);
    wnd::SetDlgCtrlID(editX, IDC_EDIT_X);
    wnd::SetDlgCtrlID(editY, IDC_EDIT_Y);
    wnd::SetDlgCtrlID(m_add, IDC_ADD_PIXEL);
    wnd::SetDlgCtrlID(m_save, IDC_SAVE_TO_FILE);
    wnd::SetDlgCtrlID(m_close, IDC_CLOSE);
    wnd::SetDlgCtrlID(m_waitText, IDC_WAIT_TEXT);
    wnd::SetDlgCtrlID(m_progress, IDC_PROGRESS);

    m_x.m_nEditId = IDC_EDIT_X;
    m_x.m_nSpinId = IDC_SPIN_X;
    m_y.m_nEditId = IDC_EDIT_Y;
    m_y.m_nSpinId = IDC_SPIN_Y;
    m_x.DataExchange(this);
    m_y.DataExchange(this);
    // A defect word carries rows in 13 bits, and columns in 13 bits unless the sensor is large.
    m_x.SetRange(1, static_cast<int>(defect::MaxColumn(m_largeSensor)), 1);
    m_y.SetRange(1, static_cast<int>(defect::kMaxRow), 1);

    auto* pixel = new QGridLayout;
    pixel->addWidget(new QLabel("X:", this), 0, 0);
    pixel->addWidget(editX, 0, 1);
    pixel->addWidget(spinX, 0, 2);
    pixel->addWidget(new QLabel("Y:", this), 1, 0);
    pixel->addWidget(editY, 1, 1);
    pixel->addWidget(spinY, 1, 2);
    pixel->setHorizontalSpacing(2);
    auto* side = new QVBoxLayout;
    side->addWidget(new QLabel("Map type:", this));
    side->addWidget(m_mapType);
    side->addSpacing(8);
    side->addLayout(pixel);
    side->addWidget(m_add);
    side->addSpacing(8);
    side->addWidget(m_save);
    side->addStretch(1);
    side->addWidget(m_close);
    auto* top = new QHBoxLayout;
    top->addWidget(m_list, 1);
    top->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(m_waitText);
    layout->addWidget(m_progress);

    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, [this] { OnTimer(); });
    connect(m_mapType, &QComboBox::currentIndexChanged, this, [this] { OnCbnSelchangeMapType(); });
    connect(m_add, &QPushButton::clicked, this, [this] { OnBnClickedAddPixel(); });
    connect(m_save, &QPushButton::clicked, this, [this] { OnBnClickedSaveToFile(); });
    connect(m_close, &QPushButton::clicked, this, [this] { reject(); });
    for (auto [group, held, unread, edit, spin] : {std::tuple{&m_x, &m_heldX, &m_unreadX, editX, spinX},
                                                   std::tuple{&m_y, &m_heldY, &m_unreadY, editY, spinY}}) {
        // Copied by name: every compiler accepts these captures of the loop's bindings.
        connect(spin, &CUpDownCtrl::scrolled, this,
                [group = group, held = held, unread = unread, spin = spin](int code, int position) {
                    *held = std::nullopt;
                    *unread = std::nullopt;
                    group->OnVScroll(static_cast<unsigned>(code), position, spin);
                });
        connect(edit, &QLineEdit::editingFinished, this, [group = group, held = held, unread = unread, edit = edit] {
            // Enter shows the value held at the limit, or put back; a focus that moves on (to
            // Add) does not.
            *held = edit->hasFocus() ? std::nullopt : TypedOutsideRange(*group);
            *unread = edit->hasFocus() ? std::nullopt : TypedWithoutNumber(*group);
            group->OnEditKillFocus();
        });
    }
}

void CDlgDPM::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_opened)
        return;
    m_opened = true;
    // The first space is read once the dialog is on the screen, so its progress shows.
    QTimer::singleShot(0, this, [this] { ReadMapFromCamera(); });
}

CDlgDPM::~CDlgDPM()
{
    // The dialog goes while a pixel is written (the program ends on a signal): the sector is
    // written to its end here, so both lists stay. A step the camera does not take is tried
    // once more, then given up; the read that follows is stopped.
    while (m_engine.Busy() && m_engine.CurrentPhase() != dpm::Phase::Reading) {
        const bool failing = m_engine.StepFailing();
        m_engine.Tick();
        if (failing && m_engine.StepFailing())
            m_engine.GiveUpFailingStep();
    }
    m_engine.CancelRead();
    if (m_busy)
        m_pLink->m_ChannelOwner.Release(ChannelUser::Upload);
    if (m_busy && m_busyListener)
        m_busyListener(false);
}

int CDlgDPM::SelectedSpace() const
{
    return m_mapType->currentIndex() < 0 ? -1 : m_mapType->currentData().toInt();
}

void CDlgDPM::ReadMapFromCamera()
{
    if (m_engine.Busy())
        return;
    m_runPending = m_engine.StartRead(SelectedSpace());
    ShowEngine();
}

void CDlgDPM::OnCbnSelchangeMapType()
{
    // A read of the previous space is not needed any more.
    m_engine.CancelRead();
    ReadMapFromCamera();
}

std::optional<int> CDlgDPM::TypedOutsideRange(const CEditSpin& group)
{
    if (!group.m_edit)
        return std::nullopt;
    const std::optional<int> typed = ctl::ParseLeadingInt(group.m_edit->text().left(255).toStdString());
    if (!typed || (*typed >= group.m_nMin && *typed <= group.m_nMax))
        return std::nullopt;
    return typed;
}

std::optional<std::string> CDlgDPM::TypedWithoutNumber(const CEditSpin& group)
{
    if (!group.m_edit)
        return std::nullopt;
    const std::string text = group.m_edit->text().left(255).toStdString();
    if (ctl::ParseLeadingInt(text))
        return std::nullopt;
    return text;
}

void CDlgDPM::OnBnClickedAddPixel()
{
    // Text without a number would leave the edit's last value, and another pixel than the one
    // meant written to the camera: it is refused.
    if (!m_unreadX)
        m_unreadX = TypedWithoutNumber(m_x);
    if (!m_unreadY)
        m_unreadY = TypedWithoutNumber(m_y);
    if (m_unreadX || m_unreadY) {
        const std::string text = "The pixel was not added: <" + (m_unreadX ? *m_unreadX : *m_unreadY) + "> typed for " +
                                 (m_unreadX ? "X" : "Y") + " is no number.";
        m_unreadX = m_unreadY = std::nullopt;
        m_heldX = m_heldY = std::nullopt;
        m_x.OnEditKillFocus();
        m_y.OnEditKillFocus();
        wnd::ShowMessageBox(QString::fromStdString(text), QString(), wnd::MB_OK | wnd::MB_ICONERROR, this);
        return;
    }
    // A number typed past an edit's range would be held at the limit, and another pixel than
    // the one typed written to the camera: it is refused, and the edit shows what it holds.
    if (!m_heldX)
        m_heldX = TypedOutsideRange(m_x);
    if (!m_heldY)
        m_heldY = TypedOutsideRange(m_y);
    if (m_heldX || m_heldY) {
        const std::string text = dpm::PixelOutOfRangeText(m_heldX.value_or(m_x.m_nValue), m_heldY.value_or(m_y.m_nValue),
                                                          m_largeSensor);
        m_heldX = m_heldY = std::nullopt;
        m_x.OnEditKillFocus();
        m_y.OnEditKillFocus();
        wnd::ShowMessageBox(QString::fromStdString(text), QString(), wnd::MB_OK | wnd::MB_ICONERROR, this);
        return;
    }
    // The typed values count even when the edit still has the focus.
    m_x.OnEditKillFocus();
    m_y.OnEditKillFocus();
    const auto x = static_cast<std::uint32_t>(m_x.m_nValue);
    const auto y = static_cast<std::uint32_t>(m_y.m_nValue);
    switch (m_engine.StartAdd(x, y)) {
    case dpm::AddResult::Started:
        m_runPending = true;
        break;
    case dpm::AddResult::AlreadyListed:
        m_waitText->setText(QString("Pixel %1,%2 is in the list already.").arg(x).arg(y));
        return;
    case dpm::AddResult::Busy:
    case dpm::AddResult::NotDefectSpace:
        return;
    default:
        wnd::ShowMessageBox(QString::fromStdString(m_engine.LastError()), QString(), wnd::MB_OK | wnd::MB_ICONERROR, this);
        return;
    }
    ShowEngine();
}

void CDlgDPM::OnBnClickedSaveToFile()
{
    if (m_engine.Busy())
        return;
    // A list cut short would give a table that looks whole: uploaded, it loses the rest.
    if (!m_engine.ReadComplete()) {
        const QString text = QString("The list of %1 was not read completely: the file would hold only the rows read, "
                                     "and a table uploaded from it would lose the others.\n\nSave it all the same?")
                                 .arg(m_mapType->currentText());
        if (wnd::ShowMessageBox(text, QString(), wnd::MB_YESNO | wnd::MB_ICONQUESTION, this) != wnd::IDYES)
            return;
    }
    const int space = SelectedSpace();
    wnd::FileDialogRequest request;
    request.save = true;
    request.title = "Save Table to";
    request.filter = dpm::SaveFilterOf(space);
    request.defaultSuffix = SuffixOf(space);
    request.parent = this;
    const std::optional<QString> file = wnd::ShowFileDialog(request);
    if (!file || file->isEmpty())
        return;
    std::string error;
    if (!dpm::SaveListFile(file->toStdString(), m_engine.Rows(), &error))
        wnd::ShowMessageBox(QString("The table could not be saved to <%1>: %2").arg(*file, QString::fromStdString(error)),
                            QString(), wnd::MB_OK | wnd::MB_ICONERROR, this);
}

void CDlgDPM::OnTimer()
{
    QElapsedTimer elapsed;
    elapsed.start();
    do
        m_engine.Tick();
    while (m_engine.Busy() && !m_engine.StepFailing() && elapsed.elapsed() < kTickBudgetMs);
    ShowEngine();
}

void CDlgDPM::ShowEngine()
{
    const auto& rows = m_engine.Rows();
    if (m_engine.RowsGeneration() != m_shownGeneration || rows.size() < m_shownRows) {
        m_list->setRowCount(0);
        m_shownRows = 0;
        m_shownGeneration = m_engine.RowsGeneration();
        for (int column = 0; column < 4; ++column)
            m_list->setColumnWidth(column, kColumnWidth);
    }
    if (rows.size() > m_shownRows) {
        m_list->setRowCount(static_cast<int>(rows.size()));
        for (std::size_t r = m_shownRows; r < rows.size(); ++r)
            for (int c = 0; c < 4; ++c) {
                auto* item = new QTableWidgetItem(QString::fromStdString(rows[r][static_cast<std::size_t>(c)]));
                item->setTextAlignment(Qt::AlignCenter);
                m_list->setItem(static_cast<int>(r), c, item);
            }
        FitColumns(m_shownRows);
        m_shownRows = rows.size();
    }
    m_progress->setRange(0, std::max(1, m_engine.ProgressMax()));
    m_progress->setValue(std::min(m_engine.ProgressPos(), std::max(1, m_engine.ProgressMax())));

    const bool busy = m_engine.Busy();
    if (busy) {
        m_waitText->setText(QString::fromStdString(m_engine.WaitText()));
        const int period = m_engine.StepFailing() ? kRetryMs : kTickMs;
        if (!m_timer->isActive() || m_timer->interval() != period)
            m_timer->start(period);
    } else {
        m_timer->stop();
        const int space = m_engine.Space();
        const char* what = dpm::IsDefectSpace(space) ? "pixel(s)" : dpm::IsFlatFieldSpace(space) ? "value(s)" : "word(s)";
        m_waitText->setText(m_engine.LastError().empty()
                                ? QString("%1 %2 read from %3.")
                                      .arg(m_engine.EntriesRead())
                                      .arg(what)
                                      .arg(m_mapType->currentText())
                                : QString());
    }
    if (busy != m_busy) {
        m_busy = busy;
        // No other user reaches the camera between the flash steps.
        if (busy)
            m_pLink->m_ChannelOwner.Acquire(ChannelUser::Upload);
        else
            m_pLink->m_ChannelOwner.Release(ChannelUser::Upload);
        if (m_busyListener)
            m_busyListener(busy);
    }
    UpdateControls();
    if (!busy && m_runPending) {
        m_runPending = false;
        if (m_engine.LastError().empty())
            return;
        m_waitText->setText(QString::fromStdString(m_engine.LastError()));
        wnd::ShowMessageBox(QString::fromStdString(m_engine.LastError()), QString(), wnd::MB_OK | wnd::MB_ICONERROR, this);
    }
}

void CDlgDPM::FitColumns(std::size_t firstRow)
{
    // The columns are 55 pixels wide; an AFE word's number and offset, or the separator's
    // name, need more, and are not cut off.
    const auto& rows = m_engine.Rows();
    const QFontMetrics metrics(m_list->font());
    const int margin = 2 * (m_list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_list) + 1) + 2;
    for (int column = 0; column < 3; ++column) {
        int width = m_list->columnWidth(column);
        for (std::size_t r = firstRow; r < rows.size(); ++r)
            width = std::max(width, metrics.horizontalAdvance(QString::fromStdString(rows[r][static_cast<std::size_t>(column)])) + margin);
        if (width != m_list->columnWidth(column))
            m_list->setColumnWidth(column, width);
    }
}

void CDlgDPM::AskToGiveUp()
{
    // No page is tried while the operator reads the question.
    m_timer->stop();
    const std::string text = m_engine.FailingText() + "\n\nGive up?";
    const int answer = wnd::ShowMessageBox(QString::fromStdString(text), QString(), wnd::MB_YESNO | wnd::MB_ICONQUESTION,
                                           this);
    if (answer == wnd::IDYES)
        m_engine.GiveUpFailingStep();
    ShowEngine();
}

void CDlgDPM::UpdateControls()
{
    const bool busy = m_engine.Busy();
    const bool writing = busy && m_engine.CurrentPhase() != dpm::Phase::Reading;
    m_mapType->setEnabled(!writing);
    m_add->setEnabled(!busy && dpm::IsDefectSpace(SelectedSpace()));
    m_x.Enable(!busy);
    m_y.Enable(!busy);
    m_save->setEnabled(!busy);
    // A page the camera does not take may be given up.
    m_close->setEnabled(!writing || m_engine.StepFailing());
}

void CDlgDPM::reject()
{
    if (m_engine.Busy() && m_engine.CurrentPhase() != dpm::Phase::Reading) {
        if (m_engine.StepFailing())
            AskToGiveUp();
        return;
    }
    m_engine.CancelRead();
    ShowEngine();
    QDialog::reject();
}
