#include "controls/COptionDialog.h"

#include "camera/CameraLink.h"
#include "controls/CDrawButton.h"
#include "controls/DlgItem.h"
#include "controls/IconResource.h"
#include "controls/MessageBox.h"
#include "controls/ParamBinding.h"
#include "controls/SystemLook.h"
#include "controls/WindowIds.h"
#include "orvmisc/OrvParamStorage.h"
#include "platform/TextConv.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMoveEvent>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <utility>
#include <optional>

COptionDialog::COptionDialog(int nIDTemplate, QWidget* pMainWnd, CCameraLink* pStorage)
    : QDialog(nullptr), m_pStorage(pStorage), m_hSmallIcon(wnd::LoadIconResource(wnd::IDI_MAIN)), m_nIDTemplate(nIDTemplate),
      m_pMainWnd(pMainWnd)
{
    // Closing a panel hides it; it never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
}

COptionDialog::~COptionDialog()
{
    // Leave every store before the panel's parts go: no notice may reach a dying panel.
    OrvParamStorage::ForgetListener(this);
}

// ---- window base ----

bool COptionDialog::OnCommand(wnd::WPARAM, wnd::LPARAM)
{
    return false;
}

bool COptionDialog::OnWindowMessage(unsigned message, wnd::WPARAM wParam, wnd::LPARAM lParam)
{
    if (message == wnd::WM_HSCROLL) {
        OnHScroll(wnd::LoWord(wParam), static_cast<int>(wnd::HiWord(wParam)), wnd::WindowFromHandle(lParam));
        return true;
    }
    if (message == wnd::WM_VSCROLL) {
        OnVScroll(wnd::LoWord(wParam), static_cast<int>(wnd::HiWord(wParam)), wnd::WindowFromHandle(lParam));
        return true;
    }
    return false;
}

bool COptionDialog::Create(int nIDTemplate, QWidget* pParentWnd)
{
    m_nIDTemplate = nIDTemplate;
    if (pParentWnd)
        setParent(pParentWnd, windowFlags() | Qt::Dialog);
    BuildTemplate();
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        control->setProperty(kTemplateRectProperty, control->geometry());
    // Enter belongs to the panel (focus to the next control), never to a default button.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    OnInitDialog();
    return true;
}

bool COptionDialog::OnInitDialog()
{
    OnPreInitDialog();
    UpdateData(false);
    setWindowIcon(m_hSmallIcon);
    return true;
}

void COptionDialog::OnOK()
{
    focusNextChild();
}

void COptionDialog::OnCancel()
{
    if (m_pOwnerButton)
        wnd::SendCommand(m_pOwnerButton, wnd::ID_PANEL_CLOSED, 0);
    QDialog::reject();
}

void COptionDialog::OnClose()
{
    if (m_pOwnerButton)
        wnd::SendCommand(m_pOwnerButton, wnd::ID_PANEL_CLOSED, 0);
    const int id = m_pOwnerButton ? wnd::GetDlgCtrlID(m_pOwnerButton) : wnd::GetDlgCtrlID(this);
    wnd::SendCommand(dynamic_cast<wnd::ICommandTarget*>(m_pMainWnd.data()), wnd::ID_PANEL_CLOSED, id);
}

void COptionDialog::reject()
{
    OnCancel();
}

void COptionDialog::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !(event->modifiers() & ~Qt::KeypadModifier)) {
        event->accept();
        OnOK();
        return;
    }
    QDialog::keyPressEvent(event);
}

void COptionDialog::closeEvent(QCloseEvent* event)
{
    OnClose();
    // The dialog base ends in reject(), that is OnCancel, for a visible panel.
    QDialog::closeEvent(event);
}

bool COptionDialog::event(QEvent* event)
{
    if (event->type() != QEvent::WindowActivate && event->type() != QEvent::WindowDeactivate)
        return QDialog::event(event);
    m_bActivating = true;
    const bool handled = QDialog::event(event);
    m_bActivating = false;
    // The window system here tells the newly active window before the one that lost the
    // activation, so only an activation moves the panel to the back of the list.
    if (event->type() == QEvent::WindowActivate && m_pActivationList && m_nIndex != -1)
        ctl::MoveToBack(*m_pActivationList, m_nIndex);
    return handled;
}

void COptionDialog::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    // Moves made here went through the docking rule already; a move by the window system
    // (the operator dragging the caption) has it applied now, and snaps after the drag step.
    if (!event->spontaneous())
        return;
    wnd::WINDOWPOS pos{this, this->pos().x(), this->pos().y(), 0};
    OnWindowPosChanging(&pos);
    if (pos.x == this->pos().x() && pos.y == this->pos().y())
        return;
    QTimer::singleShot(0, this, [this, x = pos.x, y = pos.y] {
        wnd::SetWindowPos(this, x, y, wnd::SWP_NOSIZE | wnd::SWP_NOZORDER | wnd::SWP_NOACTIVATE);
    });
}

// ---- operations the main window calls ----

bool COptionDialog::RefreshFromStorage()
{
    return true;
}

bool COptionDialog::OnPreInitDialog()
{
    return true;
}

void COptionDialog::SetShowDebugInfo(bool) {}

void COptionDialog::ClearLiveValues() {}

void COptionDialog::SetDebugMode(bool debug)
{
    m_bDebugMode = debug;
}

void COptionDialog::ReloadValues() {}

void COptionDialog::RefreshLiveValues() {}

std::optional<float> COptionDialog::TecRawToCelsius(std::int64_t) const { return std::nullopt; }

void COptionDialog::SetXmlNode(RegisterMapPtr document)
{
    if (document != m_pXmlDoc)
        m_pXmlDoc = std::move(document);
    if (m_pStorage)
        std::memcpy(m_nVariantTag, m_pStorage->m_nVariantTag, sizeof m_nVariantTag);
}

int COptionDialog::ShowMessageW(const wchar_t* text, const wchar_t* caption, unsigned type)
{
    std::optional<std::string> narrowText, narrowCaption;
    if (text)
        narrowText = platform::WideToUtf8(text);
    if (caption)
        narrowCaption = platform::WideToUtf8(caption);
    return ShowMessageA(narrowText ? narrowText->c_str() : nullptr, narrowCaption ? narrowCaption->c_str() : nullptr,
                        type);
}

int COptionDialog::ShowMessageA(const char* text, const char* caption, unsigned type)
{
    if (!text || !*text)
        return -1;
    const QString title = caption && *caption ? QString::fromUtf8(caption) : wnd::DefaultMessageBoxCaption();
    const int answer = wnd::ShowMessageBox(QString::fromUtf8(text), title, type, nullptr);
    BringToTop();
    return answer;
}

void COptionDialog::SetOwnerButton(CDrawButton* button)
{
    m_pOwnerButton = button;
}

void COptionDialog::SetActivationList(ctl::ActivationList* list, int index)
{
    m_nIndex = index;
    m_pActivationList = list;
    if (m_pActivationList)
        ctl::MoveToBack(*m_pActivationList, m_nIndex);
}

void COptionDialog::SetNoAnimation(int noAnimation)
{
    m_nNoAnimation = noAnimation;
}

void COptionDialog::OnParamChanged(const _OrvStParam*) {}

// ---- docking ----

COptionDialog::DockReference COptionDialog::GetDockReference() const
{
    DockReference ref;
    if (!m_pMainWnd)
        return ref;
    const QRect main = wnd::GetWindowRect(m_pMainWnd);
    const QRect button = m_pOwnerButton ? wnd::GetWindowRect(m_pOwnerButton) : main;
    ref.valid = true;
    ref.right = main.x() + main.width();
    ref.refTop = button.y();
    ref.refHeight = button.height();
    return ref;
}

void COptionDialog::OnWindowPosChanging(wnd::WINDOWPOS* pos)
{
    if (!pos || (pos->flags & wnd::SWP_NOMOVE))
        return;
    const DockReference ref = GetDockReference();
    if (!ref.valid)
        return;
    const ctl::DockResult r = ctl::ApplyDockingRule(pos->x, pos->y, ref.right, ref.refTop, ref.refHeight);
    pos->x = r.x;
    pos->y = r.y;
    m_bDocked = r.docked;
}

void COptionDialog::CheckDocked()
{
    const DockReference ref = GetDockReference();
    const QRect window = wnd::GetWindowRect(this);
    if (ref.valid && ctl::IsAtDockingPlace(window.x(), window.y(), ref.right, ref.refTop, ref.refHeight))
        m_bDocked = true;
}

wnd::CDeferWindowPos* COptionDialog::MoveDocked(wnd::CDeferWindowPos* batch)
{
    const DockReference ref = GetDockReference();
    if (!ref.valid)
        return batch;
    if (batch) {
        // The docking rule snaps the frame allowance away again when the batch is applied.
        batch->Defer(this, ref.right + 2 * wnd::GetSystemMetrics(wnd::SM_CXDLGFRAME), ref.refTop,
                     wnd::SWP_NOSIZE | wnd::SWP_NOZORDER | wnd::SWP_NOACTIVATE | wnd::SWP_NOOWNERZORDER);
        return batch;
    }
    wnd::SetWindowPos(this, ref.right, ref.refTop, wnd::SWP_NOSIZE | wnd::SWP_NOZORDER | wnd::SWP_NOACTIVATE);
    return nullptr;
}

QWidget* COptionDialog::GetDlgItem(int id) const
{
    return wnd::GetDlgItem(this, id);
}

// ---- for the panels ----

void COptionDialog::BuildTemplate() {}

void COptionDialog::DoDataExchange(bool) {}

bool COptionDialog::UpdateData(bool save)
{
    DoDataExchange(save);
    return true;
}

void COptionDialog::OnHScroll(unsigned, int, QWidget*) {}

void COptionDialog::OnVScroll(unsigned, int, QWidget*) {}

bool COptionDialog::CanRefresh()
{
    if (!m_pStorage)
        return false;
    return m_pStorage->m_bLinkAlive || CheckConnection();
}

bool COptionDialog::CheckConnection()
{
    if (!m_pStorage)
        return false;
    return m_pStorage->AnswersPing();
}

bool COptionDialog::IsParamDefined(const char* name, _OrvStParam* out) const
{
    if (!m_pStorage || !name)
        return false;
    _OrvStParam record;
    if (m_pStorage->GetParamData(name, &record) != 0)
        return false;
    if (out)
        *out = record;
    return true;
}

void COptionDialog::ListenTo(const char* name)
{
    if (!m_pStorage || !name)
        return;
    m_pStorage->RemoveParamChangedListener(name, this);
    m_pStorage->AddParamChangedListener(name, this);
}

int COptionDialog::WriteParamInt(const char* name, std::int64_t value, bool ownErrors)
{
    if (!m_pStorage || !name)
        return -1;
    if (ownErrors)
        SetLinkErrorOwner(this);
    m_pStorage->RemoveParamChangedListener(name, this);
    const int result = SetCameraParamInt(name, value);
    m_pStorage->AddParamChangedListener(name, this);
    if (ownErrors)
        SetLinkErrorOwner(nullptr);
    return result;
}

int COptionDialog::SetCameraParamInt(const char* name, std::int64_t value)
{
    if (!m_pStorage || !name)
        return -1;
    if (m_pStorage->IsOnline())
        m_bOfflineTold = false;
    const int result = m_pStorage->SetParamIntIfOnline(name, value, true, false);
    if (!Written(result))
        QueueCameraValue(name, result);
    return result;
}

void COptionDialog::QueueCameraValue(const char* name, int result)
{
    // A value the camera holds already, or a name it does not know: nothing to show again.
    if (result == kOrvParamUnchanged || result == kOrvParamUnknown || result == kOrvParamWrongType)
        return;
    // The camera's value, handed back, may make the panel write again; a failure of that write
    // is not handed back once more.
    if (m_bShowingCameraValues)
        return;
    if (result == link_result::kOffline)
        m_bOfflineUnwritten = true;
    if (std::find(m_unwritten.begin(), m_unwritten.end(), name) == m_unwritten.end())
        m_unwritten.emplace_back(name);
    if (m_bCameraValuesQueued)
        return;
    m_bCameraValuesQueued = true;
    // After the operator's action is done: a sequence of writes finishes with the members it
    // started with, and the controls end with the camera's values.
    QTimer::singleShot(0, this, [this] { ShowCameraValues(); });
}

void COptionDialog::ShowCameraValues()
{
    m_bCameraValuesQueued = false;
    const std::vector<std::string> names = std::exchange(m_unwritten, {});
    const bool offline = std::exchange(m_bOfflineUnwritten, false);
    if (m_pStorage) {
        m_bShowingCameraValues = true;
        ShowNoReadingWhereClickRefused(this, [&] {
            for (const std::string& name : names) {
                _OrvStParam record;
                if (m_pStorage->GetParamData(name.c_str(), &record) == 0)
                    OnParamChanged(&record);
            }
        });
        m_bShowingCameraValues = false;
    }
    if (offline && !m_bOfflineTold) {
        m_bOfflineTold = true;
        ShowMessageA(kCameraOfflineText, nullptr, wnd::MB_OK | wnd::MB_ICONWARNING);
    }
}

void COptionDialog::SetLinkErrorOwner(COptionDialog* owner)
{
    if (m_pStorage)
        m_pStorage->SetErrorOwner(owner);
}

int COptionDialog::ShowMessageW(const std::string& text, const char* caption, unsigned flags)
{
    return ShowMessageA(text.c_str(), caption, flags);
}

void COptionDialog::BringToTop()
{
    if (isVisible()) {
        raise();
        activateWindow();
    }
}
