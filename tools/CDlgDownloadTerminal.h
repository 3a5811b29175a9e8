// The "Download Terminal" dialog: the operator picks a file type and a file, and Load File
// programs it into the camera's parameter flash (or replays a register file), one page or
// command per timer tick, with the log, the KB counter and the progress bar following. The
// work is done by UploadEngine; while it runs, the type box, the path and Load are locked,
// Cancel stops it, and closing the dialog asks first (the run waits for the answer). A stop
// after the erase programs the half of a defect sector read back to keep before it ends.
#pragma once

#include "tools/UploadEngine.h"

#include <QDialog>

#include <functional>
#include <memory>

class CCameraLink;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

class CDlgDownloadTerminal : public QDialog {
public:
    enum {
        IDD = 163,
        IDC_BT_LOAD = 1225,
        IDC_BT_CANCEL = 1226,
        IDC_BROWSE = 1035,
        IDC_PATH_LABEL = 1229,
        IDC_FILE_PATH = 1005,
        IDC_KB = 1087,
        IDC_PROGRESS = 1227,
        IDC_LOG = 1228,
        IDC_FILE_TYPE = 1036,
    };
    static constexpr int ID_DOWNLOAD_TERMINAL = 32797;

    /// `link` is the main window's camera link (borrowed); `guruMode` offers the factory spaces
    /// and the AFE table; `largeSensor` (the opener's fact of the camera's configuration) picks
    /// the large flat-field and defect-table layouts; `clock` (null: the real one) paces the
    /// erase polls.
    CDlgDownloadTerminal(QWidget* parent, CCameraLink* link, bool guruMode, bool largeSensor,
                         platform::IClock* clock = nullptr);
    ~CDlgDownloadTerminal() override;

    /// Called with true when a run starts and false when it ends (the main window's polls stay
    /// away from the camera meanwhile).
    void SetLoadingListener(std::function<void(bool)> listener) { m_loadingListener = std::move(listener); }
    bool Loading() const { return m_engine.Running(); }
    /// Where "write_pages.txt" goes (default: the current folder).
    void SetWritePagesFile(const std::string& file) { m_engine.SetWritePagesFile(file); }
    const download::UploadEngine& Engine() const { return m_engine; }
    /// The layout the dialog was opened with.
    bool LargeSensor() const { return m_largeSensor; }

    void OnBnClickedBtLoad();
    void OnBnClickedCancel();
    void OnBnClickedBrowse();
    void OnCbnSelchangeFileType();

protected:
    /// Escape and the close button: while a run goes, asks first and stops it.
    void reject() override;

private:
    void OnTimer();
    void UpdateControls();
    void ShowEngine();
    void SetLoading(bool loading);
    /// While a run goes: asks whether to stop it (the run waits for the answer). True when the
    /// dialog may close now; a stop that writes back the kept half closes it when done.
    bool MayClose();
    /// Asks whether to stop the run, saying what a stop costs now; the run waits for the answer.
    bool AskToStop(const char* question);
    /// Closes the dialog (accepted: as OK); after a run that left the sector changed, says in a
    /// box how, since the log goes with the dialog.
    void CloseAfterStop(bool accepted = false);
    int SelectedType() const;

    CCameraLink* m_pLink;  ///< borrowed; its channel is held while the flash is written
    download::UploadEngine m_engine;
    bool m_largeSensor;
    bool m_loading = false;
    bool m_paused = false;        ///< the close question is open: no tick runs
    bool m_closeWhenIdle = false; ///< the operator chose to close; the stop is still writing back
    std::function<void(bool)> m_loadingListener;
    QComboBox* m_type = nullptr;
    QLabel* m_pathLabel = nullptr;
    QLineEdit* m_path = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_load = nullptr;
    QPushButton* m_cancel = nullptr;
    QLineEdit* m_kb = nullptr;
    QProgressBar* m_progress = nullptr;
    QPlainTextEdit* m_log = nullptr;
    QTimer* m_readTimer = nullptr;   ///< 9998
    QTimer* m_writeTimer = nullptr;  ///< 9999
};
