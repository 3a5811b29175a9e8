// The "Select Port" dialog (dialog 131): scans the Camera Link serial libraries and, when asked,
// the serial ports, probes each port with a temporary camera link of configuration 4 and lists
// one row per port with the camera found there.
#pragma once

#include "CCorvel_5Dlg.h"

#include <QDialog>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class CCameraLink;
class ISettings;
class QCheckBox;
class QTreeWidget;
namespace platform {
class IClock;
}

/// The folder of the system's own shared libraries, searched first when the operator asks for
/// the system folder.
std::filesystem::path SystemLibraryFolder();
/// The folders searched for serial libraries: `systemFolder` when not empty, then the folders of
/// CLSERIALPATH (separated by ':'; none when it is 260 bytes or longer).
std::vector<std::filesystem::path> LibraryFolders(const std::filesystem::path& systemFolder);
/// The Camera Link serial libraries in `folders`, folder by folder, each folder's sorted by
/// name: files whose name contains "clser" in any case, except the generic "clserial" or
/// "libclserial" itself.
std::vector<std::string> SerialLibraries(const std::vector<std::filesystem::path>& folders);
/// The serial ports: /dev/<name> for every /sys/class/tty entry with a driver, then the paths
/// listed in CORVEL_EXTRA_PORTS (separated by ':').
std::vector<std::string> SerialPorts();

class CPortSelector : public QDialog, public IPortSelector {
public:
    enum {
        IDD = 131,
        IDC_LIST = 1143,
        IDC_RESCAN = 1142,
        IDC_SCAN_COM = 1007,
        IDC_SCAN_SYSTEM = 1008,
    };
    /// Port index of a row for a serial port, and of a library that failed to open.
    static constexpr int kComPortRow = -1;
    static constexpr int kErrorRow = -3;

    struct Row {
        std::string port;     ///< first column
        std::string library;  ///< file name of the library, empty for a serial port
        std::string camera;
        int portIndex = 0;
        int baudRate = -1;
        std::string path;
    };

    /// owner: the main window (the probe link's host). settings: "Communications" (null: the
    /// application's). clock: the probe link's clock (null: the real one).
    explicit CPortSelector(CCorvel_5Dlg* owner, ISettings* settings = nullptr, platform::IClock* clock = nullptr);
    ~CPortSelector() override;

    /// The scan: false when the register map could not be loaded (the list stays empty) or when
    /// the operator's answer to a camera's refusal stopped the identification (the dialog then
    /// ends as cancelled).
    bool OnInitDialog();
    /// Takes the selected row (an error row gives nothing) and ends the dialog.
    void OnOK();
    /// Cancel, Esc and the close box: frees the rows and ends the dialog.
    void OnCancel();
    void ClearRows();
    void reject() override { OnCancel(); }

    const std::vector<Row>& Rows() const { return m_Rows; }
    int CurrentRow() const;
    void SetCurrentRow(int row);

    // IPortSelector: scans, runs the dialog; false when cancelled.
    bool Run(PortChoice& choice) override;

    std::string m_strSelected;
    int m_nSelectedPort = -1;
    int m_nSelectedBaud = -1;
    bool m_bSelectedLibrary = true;
    /// The serial ports the scan probes (tests narrow it).
    std::function<std::vector<std::string>()> m_listPorts;
    /// Where a register-map file overrides the built-in map (tests point it elsewhere).
    std::filesystem::path m_mapFolder;
    /// The system folder that "Scan System32 Folder" adds (tests point it elsewhere).
    std::filesystem::path m_systemFolder;

    /// Whether a probed port's row is added: always without a camera ("", "none", "PortInUse"),
    /// otherwise only when the camera's configuration has a built-in register map.
    static bool Listed(const std::string& camera, int configIndex);

private:
    enum class ScanResult { Listed, NoRegisterMap, Refused };
    ScanResult Scan();
    ScanResult ProbePorts(CCameraLink& link);
    bool Logging() const;
    void AddRow(Row row);
    /// Columns as wide as their texts within their bounds; the list keeps room for all three.
    void FitColumns();

    CCorvel_5Dlg* m_pOwner;
    ISettings* m_pSettings;
    platform::IClock* m_pClock;
    std::unique_ptr<ISettings> m_pOwnSettings;
    std::vector<Row> m_Rows;
    /// The scan itself ended the dialog.
    bool m_bEndedByScan = false;
    QTreeWidget* m_pList;
    QCheckBox* m_pScanCom;
    QCheckBox* m_pScanSystem;
};
