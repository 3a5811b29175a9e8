#include "tools/CTerminal.h"

#include "controls/LastConfig.h"
#include "camera/CameraLink.h"
#include "camera/ISettings.h"
#include "camera/LinkText.h"
#include "camera/RegisterLink.h"
#include "controls/CNumericEdit.h"
#include "controls/DialogUnits.h"
#include "controls/DlgItem.h"
#include "controls/MessageBox.h"
#include "logging/ConfiguratorLog.h"
#include "tools/ITerminalOwner.h"
#include "tools/TerminalCommands.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <climits>

namespace {

/// The framework's text for a number field that holds no number.
constexpr const char* kNotAnInteger = "Please enter an integer.";

template <class W>
W* Place(W* widget, int id, const QRect& rect)
{
    if (id > 0)
        wnd::SetDlgCtrlID(widget, id);
    widget->setGeometry(rect);
    return widget;
}

/// The edit's text as the output shows it: every line end one break.
QString OutputText(const std::string& text)
{
    QString out = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

}  // namespace

CTerminal::CTerminal(QWidget* mainWnd, CCameraLink* link, ISettings* settings, platform::IClock* clock)
    : QDialog(nullptr),
      mainWnd_(mainWnd),
      link_(link),
      settings_(settings ? settings : &ApplicationLinkSettings()),
      clock_(clock ? clock : &platform::DefaultClock()),
      owner_(dynamic_cast<ITerminalOwner*>(mainWnd))
{
    if (link_)
        commands_ = std::make_unique<TerminalCommands>(*link_, *this, *clock_);
}

CTerminal::~CTerminal()
{
    // A terminal that never showed its box has no value of its own to keep.
    if (initialised_)
        WriteSetting(comm::kSection, comm::kCheckErrorDisabled, m_nDisableErrorCheck);
}

bool CTerminal::Create(int nIDTemplate, QWidget* parent)
{
    if (nIDTemplate != IDD || m_Output)
        return false;
    if (parent)
        setParent(parent, windowFlags() | Qt::Window);
    BuildTemplate();
    return OnInitDialog();
}

void CTerminal::BuildTemplate()
{
    setWindowTitle(QStringLiteral("Command Terminal"));
    setSizeGripEnabled(true);

    auto* ok = Place(new QPushButton(QStringLiteral("OK"), this), 1, wnd::MapDialogRect(0, 0, 1, 1));
    ok->setDefault(true);
    ok->setEnabled(false);
    ok->hide();

    m_btnDisablePolling = Place(new QCheckBox(QStringLiteral("Disable Polling"), this), IDC_DISABLE_POLLING,
                                wnd::MapDialogRect(7, 5, 66, 10));
    Place(new QLabel(QStringLiteral("Polling Time:"), this), -1, wnd::MapDialogRect(80, 6, 46, 8));
    m_editPollingTime = Place(new CNumericEdit(this, IDC_POLLING_TIME), IDC_POLLING_TIME, wnd::MapDialogRect(126, 4, 36, 12));
    m_editPollingTime->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_editPollingTime));
    m_editPollingTime->SetOwner(this);
    m_editPollingTime->installEventFilter(this);
    Place(new QLabel(QStringLiteral("ms"), this), -1, wnd::MapDialogRect(165, 6, 12, 8));
    m_btnDisableErrorCheck = Place(new QCheckBox(QStringLiteral("Disable Error Checking"), this),
                                   IDC_DISABLE_ERROR_CHECK, wnd::MapDialogRect(182, 5, 96, 10));
    auto* clear = Place(new QPushButton(QStringLiteral("Clear"), this), IDC_BT_CLEAR, wnd::MapDialogRect(280, 3, 44, 14));
    clear->setAutoDefault(false);

    m_Output = Place(new QPlainTextEdit(this), IDC_OUTPUT, wnd::MapDialogRect(7, 20, 317, 118));
    m_Output->setReadOnly(true);
    m_Output->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_Output->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette palette = m_Output->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    m_Output->setPalette(palette);

    m_CommandLine = Place(new QLineEdit(this), IDC_COMMAND_LINE, wnd::MapDialogRect(7, 143, 317, 14));

    connect(m_CommandLine, &QLineEdit::returnPressed, this, [this] { OnMsgFilterCommand(); });
    connect(m_btnDisablePolling, &QCheckBox::clicked, this, [this] { OnBnClickedDisablePolling(); });
    connect(m_btnDisableErrorCheck, &QCheckBox::clicked, this, [this] { OnBnClickedDisableErrorCheck(); });
    connect(clear, &QPushButton::clicked, this, [this] { OnBnClickedBtClear(); });

    const QRect client = wnd::MapDialogRect(0, 0, 331, 165);
    resize(client.size());
}

bool CTerminal::OnInitDialog()
{
    using namespace lastconfig;
    m_nDisablePolling = SettingInt(kLastConfigSection, kDisablePolling.name, kDisablePolling.defaultValue) == 1 ? 1 : 0;
    m_nPollingTime = std::max(kMinPollingTimeMs,
                              SettingInt(kLastConfigSection, kPollingTime.name, kPollingTime.defaultValue));
    m_nDisableErrorCheck = SettingInt(comm::kSection, comm::kCheckErrorDisabled, 0) == 1 ? 1 : 0;
    initialised_ = true;
    UpdateData(false);
    return true;
}

int CTerminal::SettingInt(const char* section, const char* key, int defaultValue) const
{
    return settings_->GetInt(section, key, defaultValue);
}

void CTerminal::WriteSetting(const char* section, const char* key, int value)
{
    settings_->WriteInt(section, key, value);
}

bool CTerminal::UpdateData(bool save)
{
    if (!m_Output)
        return false;
    if (!save) {
        m_btnDisablePolling->setChecked(m_nDisablePolling == 1);
        m_editPollingTime->setText(QString::number(m_nPollingTime));
        m_btnDisableErrorCheck->setChecked(m_nDisableErrorCheck == 1);
        return true;
    }
    m_nDisablePolling = m_btnDisablePolling->isChecked() ? 1 : 0;
    m_nDisableErrorCheck = m_btnDisableErrorCheck->isChecked() ? 1 : 0;
    bool ok = false;
    const qlonglong period = m_editPollingTime->text().toLongLong(&ok);
    if (!ok || period < 0 || period > INT_MAX) {
        wnd::ShowMessageBox(QString::fromLatin1(kNotAnInteger), QString(), wnd::MB_OK | wnd::MB_ICONWARNING, this);
        m_editPollingTime->setText(QString::number(m_nPollingTime));
        return false;
    }
    // Faster timers would keep the channel busy with polls.
    m_nPollingTime = std::max(kMinPollingTimeMs, static_cast<int>(period));
    if (m_nPollingTime != period)
        m_editPollingTime->setText(QString::number(m_nPollingTime));
    return true;
}

void CTerminal::AddText(const std::string& text)
{
    if (!m_Output || text.empty())
        return;
    QTextDocument* document = m_Output->document();
    QScrollBar* vbar = m_Output->verticalScrollBar();
    const QTextCursor selection = m_Output->textCursor();
    const int anchor = selection.anchor();
    const int position = selection.position();
    const int firstVisible = vbar->value();
    const int length = document->characterCount() - 1;
    const bool followEnd = anchor == position && position == length;

    m_Output->setUpdatesEnabled(false);
    QTextCursor end(document);
    end.movePosition(QTextCursor::End);
    end.insertText(OutputText(text + "\r\n"));

    int removedChars = 0;
    int removedLines = 0;
    if (document->blockCount() > kMaxOutputLines) {
        removedLines = document->blockCount() - kMaxOutputLines;
        removedChars = document->findBlockByNumber(removedLines).position();
        QTextCursor cut(document);
        cut.setPosition(removedChars, QTextCursor::KeepAnchor);
        cut.removeSelectedText();
    }

    QTextCursor caret(document);
    if (followEnd) {
        caret.movePosition(QTextCursor::End);
        m_Output->setTextCursor(caret);
        vbar->setValue(vbar->maximum());
    } else {
        caret.setPosition(std::max(0, anchor - removedChars));
        caret.setPosition(std::max(0, position - removedChars), QTextCursor::KeepAnchor);
        m_Output->setTextCursor(caret);
        vbar->setValue(std::max(0, firstVisible - removedLines));
    }
    m_Output->ensureCursorVisible();
    m_Output->setUpdatesEnabled(true);
    m_Output->viewport()->update();
}

void CTerminal::SetErrorCheckingDisabled(bool refreshControls)
{
    m_nDisableErrorCheck = 1;
    if (refreshControls)
        UpdateData(false);
    else if (m_btnDisableErrorCheck)
        m_btnDisableErrorCheck->setChecked(true);
}

void CTerminal::OnParamChanged(const _OrvStParam* param)
{
    if (!param || param->type != OrvParam_Int)
        return;
    RegisterLink reg;
    const std::string cmd = link_ && GetRegisterLink(*link_, param->name, reg) == 0 ? reg.cmd : param->name;
    AddText(camera::FormatText("%s %d", cmd.c_str(), static_cast<std::int32_t>(param->value.n)));
}

bool CTerminal::OnCommand(wnd::WPARAM wParam, wnd::LPARAM)
{
    if (wnd::LoWord(wParam) == IDC_POLLING_TIME && wnd::HiWord(wParam) == 0) {
        // Enter in the period field: the field loses the focus, which takes the new period.
        setFocus(Qt::OtherFocusReason);
        return true;
    }
    return false;
}

void CTerminal::OnMsgFilterCommand()
{
    if (!m_CommandLine)
        return;
    m_strCommand = m_CommandLine->text().toStdString();
    if (commands_ && commands_->Execute(m_strCommand) == TerminalCommands::Outcome::Done)
        m_CommandLine->clear();
}

void CTerminal::OnBnClickedBtClear()
{
    if (m_Output) {
        m_Output->clear();
        m_Output->viewport()->update();
    }
    CORVEL_LOG(OL_TRACE, 0, L"Terminal", "CTerminal::OnBnClickedBtClear", L"%s", kClearRecord);
}

bool CTerminal::HasOutput() const
{
    return m_Output && !m_Output->document()->isEmpty();
}

void CTerminal::OnBnClickedDisablePolling()
{
    UpdateData(true);
    WriteSetting(kLastConfigSection, lastconfig::kDisablePolling.name, m_nDisablePolling == 1 ? 1 : 0);
}

void CTerminal::OnEnKillfocusPollingTime()
{
    if (inKillFocus_)
        return;
    inKillFocus_ = true;
    UpdateData(true);
    WriteSetting(kLastConfigSection, lastconfig::kPollingTime.name, m_nPollingTime);
    if (owner_)
        owner_->ResetPollingTimers();
    inKillFocus_ = false;
}

void CTerminal::OnBnClickedDisableErrorCheck()
{
    UpdateData(true);
    if (link_)
        link_->SetCheckErrorDisabled(m_nDisableErrorCheck == 1);
    WriteSetting(comm::kSection, comm::kCheckErrorDisabled, m_nDisableErrorCheck);
}

void CTerminal::OnSize(int cx, int cy)
{
    if (!m_CommandLine || !m_Output)
        return;
    // Both keep their left margin on the right too, and the output ends 2 pixels above the
    // command line; at the template's 8-point font that is cx - 22 and cy - h - 45.
    const int h = m_CommandLine->height();
    const int width = std::max(0, cx - 2 * m_Output->x());
    const int commandTop = cy - h - 10;
    m_CommandLine->setGeometry(m_CommandLine->x(), commandTop, width, h);
    m_Output->setGeometry(m_Output->x(), m_Output->y(), width, std::max(0, commandTop - 2 - m_Output->y()));
}

void CTerminal::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    OnSize(width(), height());
}

void CTerminal::closeEvent(QCloseEvent* event)
{
    // The main window hides the terminal and clears its menu check; the window lives on.
    event->ignore();
    if (mainWnd_)
        wnd::PostCommand(mainWnd_, wnd::MakeWParam(ID_COMMAND_TERMINAL, 0), 0);
}

bool CTerminal::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_editPollingTime && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        OnEnKillfocusPollingTime();
    return QDialog::eventFilter(watched, event);
}
