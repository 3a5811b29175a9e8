// The base of every camera panel: a modeless top-level dialog that the main window creates
// for one of its panel slots and that listens to the camera link's parameter store. It gives
// each panel the same frame: the store, the register-map document, the slot button that
// opens it, docking at the main window's right edge beside that button, a place in the main
// window's activation list, and a uniform way to hide itself (Esc) or close (close box) and
// tell the button and the main window (ID_PANEL_CLOSED). Enter moves the focus on and never
// closes a panel, so an edit commits on Enter as on any loss of focus.
//
// A panel builds its controls in BuildTemplate, fills its control-id tables in
// OnPreInitDialog, binds and exchanges in DoDataExchange, reads the store in
// RefreshFromStorage (behind CanRefresh), writes one value with WriteParamInt and hears
// changes made elsewhere in OnParamChanged.
#pragma once

#include "camera/IErrorOwner.h"
#include "camera/RegisterMap.h"
#include "controls/BindingLogic.h"
#include "controls/Command.h"
#include "controls/ValueText.h"
#include "controls/WindowPos.h"
#include "orvmisc/OrvParamListener.h"

#include <QDialog>
#include <QIcon>
#include <QPointer>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CCameraLink;
class CDrawButton;
struct _OrvStParam;

class COptionDialog : public QDialog,
                      public OrvParamListener,
                      public IErrorOwner,
                      public wnd::ICommandTarget,
                      public wnd::IWindowPosHook {
public:
    /// pMainWnd: the main window (docking edge, ID_PANEL_CLOSED target); pStorage: its camera
    /// link. Both are borrowed and must outlive the panel; the panel window has no parent.
    COptionDialog(int nIDTemplate, QWidget* pMainWnd, CCameraLink* pStorage);
    ~COptionDialog() override;

    // ---- window base ----
    /// Commands go straight to the window base: not handled here.
    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam) override;
    /// WM_HSCROLL and WM_VSCROLL from trackbars and spins go to OnHScroll and OnVScroll.
    bool OnWindowMessage(unsigned message, wnd::WPARAM wParam, wnd::LPARAM lParam) override;
    /// Builds the panel window from its template with the given parent (null: a top-level
    /// window the main window does not own) and runs OnInitDialog.
    virtual bool Create(int nIDTemplate, QWidget* pParentWnd);
    /// The property under which each control keeps the rectangle its template gave it, before
    /// any collapse moved or hid it: which group box frames a control is read from it.
    static constexpr char kTemplateRectProperty[] = "corvelTemplateRect";
    /// What the operator is told when an edit of a panel was not written for want of a camera.
    static constexpr char kCameraOfflineText[] =
        "The camera is offline: the value was not written.\nThe panel shows the camera's last value again.";
    virtual bool OnInitDialog();
    /// Enter: the focus moves to the next tab stop.
    virtual void OnOK();
    /// Esc: the slot button hears ID_PANEL_CLOSED and the panel hides.
    virtual void OnCancel();
    /// Close box: the slot button and the main window hear ID_PANEL_CLOSED (the main window
    /// with the button's id), then the panel hides as with Esc.
    virtual void OnClose();

    // ---- operations the main window calls ----
    virtual bool RefreshFromStorage();
    virtual bool OnPreInitDialog();
    virtual void SetShowDebugInfo(bool show);
    virtual void SetDebugMode(bool debug);
    virtual void ReloadValues();
    virtual void RefreshLiveValues();
    /// What a read-out shows while there is no reading (the camera is away, or a read failed).
    static constexpr const char* kNoReading = ctl::kNoReading;
    /// The camera went away: every read-out of the panel shows kNoReading until the next
    /// RefreshLiveValues; the base has none.
    virtual void ClearLiveValues();
    /// The cooler's raw temperature reading ("TEC_Temperature") in degrees Celsius, for the
    /// panel that holds the camera's conversion table (the Kelmir gain/offset panel); nothing
    /// from a panel without one.
    virtual std::optional<float> TecRawToCelsius(std::int64_t raw) const;
    /// Keeps the register-map document and copies the link's variant tag.
    virtual void SetXmlNode(RegisterMapPtr document);
    /// Message box over no owner window; the texts as wide strings.
    virtual int ShowMessageW(const wchar_t* text, const wchar_t* caption, unsigned type);
    /// Message box over no owner window: -1 and nothing shown for an empty text, the caption
    /// "Corvel" when none is given; a visible panel comes to the top afterwards. Answers the
    /// button pressed (IDOK ...).
    virtual int ShowMessageA(const char* text, const char* caption, unsigned type);
    /// The camera link's refusals while this panel writes: the panel's message box (UTF-8).
    int ShowMessageW(const std::string& text, const char* caption, unsigned flags) override;
    void BringToTop() override;
    virtual void SetOwnerButton(CDrawButton* button);
    /// The main window's activation list (borrowed) and this panel's slot index, which moves
    /// to the back of the list now and at every activation.
    virtual void SetActivationList(ctl::ActivationList* list, int index);
    virtual void SetNoAnimation(int noAnimation);

    void OnParamChanged(const _OrvStParam* param) override;

    // ---- docking ----
    /// The docking rule, run on every move made through wnd::SetWindowPos and on moves of the
    /// window system: near the docking place the move snaps to it and the panel is docked,
    /// elsewhere it is not.
    void OnWindowPosChanging(wnd::WINDOWPOS* pos) override;
    /// Docks the panel when it stands at its docking place; never undocks it.
    void CheckDocked();
    /// Moves the panel to its docking place: into the batch (which it answers) or, without
    /// one, at once (answering null).
    wnd::CDeferWindowPos* MoveDocked(wnd::CDeferWindowPos* batch);

    QWidget* GetDlgItem(int id) const;
    int TemplateId() const { return m_nIDTemplate; }

    // Members, as the main window and the panels use them.
    CCameraLink* m_pStorage;            ///< the main window's camera link; never owned
    int m_nNoAnimation = 0;
    QIcon m_hSmallIcon;                 ///< the application's icon, as the window's small icon
    bool m_bDocked = true;
    QPointer<CDrawButton> m_pOwnerButton;  ///< the slot button; never owned
    int m_nIndex = -1;
    ctl::ActivationList* m_pActivationList = nullptr;  ///< the main window's; never owned
    bool m_bActivating = false;         ///< set while the window base handles an activation
    std::atomic<int> m_nHScrollBusy{0}; ///< re-entry guards of a panel's scroll handlers
    std::atomic<int> m_nVScrollBusy{0};
    RegisterMapPtr m_pXmlDoc;
    bool m_bDebugMode = false;
    char m_nVariantTag[4] = {'\xFF', '\xFF', '\xFF', '\xFF'};  ///< the link's, copied by SetXmlNode

protected:
    /// True while the values stored for refused writes are shown again (they may be older than
    /// a read that failed since).
    bool ShowingCameraValues() const { return m_bShowingCameraValues; }
    /// Creates the panel's controls, each with its control id; the base has none.
    virtual void BuildTemplate();
    /// Binds controls and exchanges values (save: controls to members).
    virtual void DoDataExchange(bool save);
    bool UpdateData(bool save = true);
    virtual void OnHScroll(unsigned code, int pos, QWidget* scrollBar);
    virtual void OnVScroll(unsigned code, int pos, QWidget* scrollBar);

    /// The refresh guard: false when there is no store, or the camera is not marked connected
    /// and a forced connection check fails.
    bool CanRefresh();
    /// A forced connection check ("Ping" read); sets the link's alive flag.
    virtual bool CheckConnection();
    /// True when the configuration defines the parameter (its record copied to out when given).
    bool IsParamDefined(const char* name, _OrvStParam* out = nullptr) const;
    /// Registers this panel as listener of name, once.
    void ListenTo(const char* name);
    /// Writes one integer to the camera: this panel stops listening to name, the link sets it
    /// when the camera is online (other listeners hear it), the panel listens again. With
    /// ownErrors the panel owns the link's error messages during the write. Answers the set's
    /// result (1 while offline), or -1 without store or name. A write that does not reach the
    /// camera is followed by the camera's value, as with SetCameraParamInt.
    int WriteParamInt(const char* name, std::int64_t value, bool ownErrors = false);
    /// Sets one integer in the camera when it is online, the panel still listening (it hears
    /// its own value). When the camera refused the value, the channel failed or the camera is
    /// offline, the value the camera holds (the store keeps it) is handed to the panel as a
    /// change made elsewhere once the current event is done, so the controls and the panel's
    /// members never keep a value the camera does not hold; offline, the operator is told.
    /// Answers the set's result, or -1 without store or name.
    int SetCameraParamInt(const char* name, std::int64_t value);
    /// True when the write's result means the camera holds the value written.
    static bool Written(int result) { return result == 0; }

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool event(QEvent* event) override;

public:
    void reject() override;

private:
    struct DockReference {
        bool valid = false;
        int right = 0;
        int refTop = 0;
        int refHeight = 0;
    };
    DockReference GetDockReference() const;
    /// The camera link reports a refused write over its error owner while one is set.
    void SetLinkErrorOwner(COptionDialog* owner);
    /// Queues the camera's value of name for the panel after a write that did not reach it.
    void QueueCameraValue(const char* name, int result);
    /// Hands every queued camera value to the panel and tells the operator when the camera
    /// was offline.
    void ShowCameraValues();

    std::vector<std::string> m_unwritten;  ///< names whose camera value the panel has to show
    bool m_bCameraValuesQueued = false;
    bool m_bShowingCameraValues = false;
    bool m_bOfflineUnwritten = false;      ///< a write was dropped because the camera is offline
    bool m_bOfflineTold = false;           ///< the operator heard it during this offline spell

    int m_nIDTemplate;
    QPointer<QWidget> m_pMainWnd;
};
