// The "Bad Pixel Map" dialog: the operator picks a space of the camera's flash (the BPM lists,
// and with GuruMode the DPM lists, the flat-field tables and the AFE image), sees its content
// in the list, adds a defective pixel by its column and row (the space is rewritten in the
// camera at once and read again) and saves the list as a table file. The flash work is done by
// dpm::DefectMapEngine one page per timer tick, with its text and a progress bar in the
// dialog, so the window keeps repainting; the controls are locked meanwhile.
#pragma once

#include "controls/CSliderEditSpin.h"
#include "tools/DefectMapEngine.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

class CCameraLink;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTimer;

class CDlgDPM : public QDialog {
public:
    enum {
        IDD = 178,
        IDC_MAP_TYPE = 1036,
        IDC_LIST = 1265,
        IDC_EDIT_X = 1241,
        IDC_SPIN_X = 1730,
        IDC_EDIT_Y = 1242,
        IDC_SPIN_Y = 1007,
        IDC_ADD_PIXEL = 1272,
        IDC_SAVE_TO_FILE = 1271,
        IDC_CLOSE = 1,
        IDC_WAIT_TEXT = 1254,  ///< the wait text of the running step
        IDC_PROGRESS = 1025,
    };
    static constexpr int ID_BPM_DIALOG = 32774;

    /// `link` is the main window's camera link (borrowed, it outlives the dialog); `guruMode`
    /// offers every space, otherwise only the two BPM spaces; `largeSensor` (the opener's fact of
    /// the camera's configuration) picks 14-bit columns, bottom-up lists and the longer flat-field
    /// tables; `clock` (null: the real one) paces the erase polls. The first space is read as soon
    /// as the event loop runs.
    CDlgDPM(QWidget* parent, CCameraLink* link, bool guruMode, bool largeSensor, platform::IClock* clock = nullptr);
    ~CDlgDPM() override;

    /// Called with true when flash work starts and false when it ends (the main window's
    /// polls stay away from the camera meanwhile).
    void SetBusyListener(std::function<void(bool)> listener) { m_busyListener = std::move(listener); }
    bool Busy() const { return m_engine.Busy(); }
    const dpm::DefectMapEngine& Engine() const { return m_engine; }

    void OnCbnSelchangeMapType();
    void OnBnClickedAddPixel();
    void OnBnClickedSaveToFile();

protected:
    /// Escape and the close box: a read is stopped and the dialog closes; while a pixel is
    /// being written the dialog stays open (an interrupted sector would lose its lists), and
    /// only a page the camera does not take may be given up, after a question.
    void reject() override;
    void showEvent(QShowEvent* event) override;

private:
    void ReadMapFromCamera();
    void OnTimer();
    /// Shows the engine's rows, text and progress; at the end of a run its failure, if any.
    void ShowEngine();
    void UpdateControls();
    void AskToGiveUp();
    int SelectedSpace() const;
    /// Widens the list's columns to the texts of the rows from `firstRow` on.
    void FitColumns(std::size_t firstRow);
    /// The number typed in the group's edit when it lies outside the group's range.
    static std::optional<int> TypedOutsideRange(const CEditSpin& group);
    /// The text typed in the group's edit when it holds no number.
    static std::optional<std::string> TypedWithoutNumber(const CEditSpin& group);

    CCameraLink* m_pLink;  ///< borrowed; its channel is held while the flash is read or written
    dpm::DefectMapEngine m_engine;
    bool m_largeSensor = false;
    bool m_busy = false;
    bool m_opened = false;
    bool m_runPending = false;  ///< a read or add was started and its end not shown yet
    std::size_t m_shownRows = 0;
    int m_shownGeneration = -1;  ///< the engine's rows generation the list shows
    std::function<void(bool)> m_busyListener;
    CEditSpin m_x, m_y;
    /// A number typed past X's or Y's range that the edit now holds at the limit, without the
    /// operator having seen it (the focus left the edit): Add refuses it once.
    std::optional<int> m_heldX, m_heldY;
    /// Text without a number typed into X or Y that the edit replaced by its last value when the
    /// focus left it: Add refuses it once, so no pixel but the one typed is written.
    std::optional<std::string> m_unreadX, m_unreadY;
    QComboBox* m_mapType = nullptr;
    QTableWidget* m_list = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_close = nullptr;
    QLabel* m_waitText = nullptr;
    QProgressBar* m_progress = nullptr;
    QTimer* m_timer = nullptr;
};
