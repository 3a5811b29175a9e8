// The About box (dialog 100): the program's version and, for an identified camera, the
// camera's identity read from its registers when the box opens. CWarningDialog (dialog 237)
// is the modeless window shown while the camera reports its power protection.
#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>
#include <string>

class CCameraLink;
class QLabel;

namespace about {
/// "%.4X"
QString FirmwareBuildText(std::int64_t value);
/// "%.2X.%.2X.%.2X" of bytes 2, 1, 0.
QString FirmwareRevisionText(std::int64_t value);
/// 10 "Application", 15 "Factory", 12 "Custom", else empty.
QString FirmwareImageText(std::int64_t value);
/// 12 "Color", 10 "TrueSense", else "Mono".
QString ColorVersionText(std::int64_t value);
/// "%.2X.%.2X" of bytes 1, 0.
QString CustomIdText(std::int64_t value);
/// "%.1X.%.1X.%.1X.%.1X" of bits 15-12, 11-8, 7-4, 3-0.
QString RgsVersionText(std::int64_t value);
/// The display name of the configuration, "Unknown" for an index outside the table.
QString CameraFamilyText(int configIndex);
/// "dd/mm/" from the first four characters of MfgDate1, then MfgDate2.
QString DateText(const std::string& date1, const std::string& date2);
}  // namespace about

class CAboutDlg : public QDialog {
public:
    enum {
        IDD = 100,
        IDC_VERSION = 1233,
        IDC_FW_VERSION = 1257,
        IDC_ASSEMBLY_PART = 1258,
        IDC_DATE = 1259,
        IDC_CCD_SERIAL = 1260,
        IDC_CAMERA_TYPE = 1261,
        IDC_ASSEMBLY_SERIAL = 1262,
        IDC_CUSTOM_VERSION = 1263,
        IDC_FW_IMAGE = 1264,
        IDC_COLOR_VERSION = 1265,
        IDC_RGS_VERSION = 1266,
        IDC_FW_BUILD = 1267,
        IDC_CAMERA_FAMILY = 1268,
    };

    explicit CAboutDlg(QWidget* parent = nullptr);

    /// Fills the fields (the camera ones only with a link) and puts them into the controls.
    bool OnInitDialog();
    /// The text of the static with control id `id` (null string for an unknown id).
    QString ControlText(int id) const;

    CCameraLink* m_pLink = nullptr;  ///< set by the caller, never owned

    QString m_strVersion;
    QString m_strFirmwareVersion;
    QString m_strAssemblyPartNumber;
    QString m_strAssemblySerialNumber;
    QString m_strCcdSerialNumber;
    QString m_strDateOfManufacture;
    QString m_strCameraType;
    QString m_strCustomVersion;
    QString m_strFirmwareImage;
    QString m_strColorVersion;
    QString m_strRgsVersion;
    QString m_strFirmwareBuild;
    QString m_strCameraFamily;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ReadCamera();
    void DoDataExchange();
    QLabel* Field(int id) const;
    bool m_bInitialized = false;
};

/// The power-protection warning (dialog 237). Modeless; OK hides it.
class CWarningDialog : public QDialog {
public:
    enum { IDD = 237, IDC_ICON = 1696 };
    explicit CWarningDialog(QWidget* parent = nullptr);
    /// Centres the window on its owner and shows it.
    void CenterAndShow();

private:
    QWidget* m_pOwner;
};
