// The "Image Parameters" panel (template 230, slot 4): binning, the master and the optional
// slave area of interest, the image structure (taps, bit depth, bit shift, output format), the
// image corrections with their depth, flip, constant frame rate, negative image, the test
// pattern with its brightness, and a Ping button that shows whether the camera answers. Every
// edit goes to the camera at once; changes made elsewhere move the controls. Controls whose
// parameter the catalogue lacks are hidden; without a brightness the Test group shortens, and
// without a slave AOI the master group becomes "Image AOI" and the groups below move up.
//
// A variant of the panel (the Kelmir image panel) derives from this one: it gives its own
// template (BuildTemplate), AOI clamping (SetAOI) and binning rules (OnBinningRadio,
// WriteBinning, BinningWriteFlag), composes its refresh from the protected steps, and reuses
// the combos, checks, slider groups, Ping and the collapses as they are.
#pragma once

#include "controls/COptionDialog.h"
#include "controls/CSliderEditSpin.h"
#include "panels/ComboParam.h"

#include <QIcon>

#include <array>
#include <optional>
#include <span>

namespace wnd {
class CWndTimers;
}
namespace panel_template {
struct Item;
}

class CDlgImage : public COptionDialog {
public:
    enum { IDD = 230 };

    // Control ids of template 230.
    enum : int {
        IDC_BIN_H1 = 1077, IDC_BIN_H2 = 1078, IDC_BIN_H4 = 1080,
        IDC_BIN_V1 = 1020, IDC_BIN_V2 = 1081, IDC_BIN_V4 = 1083,
        IDC_MASTER_HOFF = 1520, IDC_MASTER_HOFF_SPIN = 1521, IDC_MASTER_VOFF = 1514, IDC_MASTER_VOFF_SPIN = 1515,
        IDC_MASTER_WIDTH = 1516, IDC_MASTER_WIDTH_SPIN = 1517, IDC_MASTER_HEIGHT = 1518, IDC_MASTER_HEIGHT_SPIN = 1519,
        IDC_SLAVE_MODE = 1499,
        IDC_SLAVE_HOFF = 1522, IDC_SLAVE_HOFF_SPIN = 1523, IDC_SLAVE_VOFF = 1524, IDC_SLAVE_VOFF_SPIN = 1525,
        IDC_SLAVE_WIDTH = 1526, IDC_SLAVE_WIDTH_SPIN = 1527, IDC_SLAVE_HEIGHT = 1528, IDC_SLAVE_HEIGHT_SPIN = 1529,
        IDC_TAPS = 1500, IDC_BIT_DEPTH = 1501, IDC_OUTPUT_FORMAT = 1502, IDC_BIT_SHIFT = 1503,
        IDC_TAPS_LABEL = 1621, IDC_BIT_DEPTH_LABEL = 1636, IDC_BIT_SHIFT_LABEL = 1637, IDC_OUTPUT_FORMAT_LABEL = 1697,
        IDC_HPC = 1505, IDC_HPC_LABEL = 1640,
        IDC_HPC_SLIDER = 1534, IDC_HPC_EDIT = 1535, IDC_HPC_SPIN = 1536, IDC_HPC_MIN = 1506, IDC_HPC_MAX = 1507,
        IDC_HPC_THRESHOLD_LABEL = 1639,
        IDC_FFC = 1508, IDC_FFC_LABEL = 1643, IDC_LUT = 1509, IDC_LUT_LABEL = 1645,
        IDC_BLACK_LEVEL = 1510, IDC_BLACK_LEVEL_LABEL = 1644, IDC_SMEAR = 1511, IDC_SMEAR_LABEL = 1646,
        IDC_MIRROR = 1530, IDC_KEEP_FRAME_RATE = 1537, IDC_NEGATIVE = 1538,
        IDC_TEST_MODE = 1512, IDC_TEST_MODE_LABEL = 1647,
        IDC_BRIGHTNESS_SLIDER = 1539, IDC_BRIGHTNESS_EDIT = 1540, IDC_BRIGHTNESS_SPIN = 1542,
        IDC_BRIGHTNESS_MIN = 1513, IDC_BRIGHTNESS_MAX = 1541, IDC_BRIGHTNESS_LABEL = 1622,
        IDC_PING = 1566, IDC_PING_ICON = 1567, IDC_PING_TEXT = 1568,
        IDC_TEST_BOX = 1623, IDC_SLAVE_BOX = 1624, IDC_BINNING_BOX = 1625, IDC_MASTER_BOX = 1626,
        IDC_STRUCTURE_BOX = 1627, IDC_CORRECTION_BOX = 1628,
        IDC_SLAVE_MODE_LABEL = 1629,
    };

    /// The icons of the Ping state, by resource id.
    enum : int { IDI_PING_IDLE = 164, IDI_PING_BUSY = 165, IDI_PING_OK = 149, IDI_PING_NO_ANSWER = 147 };
    /// The property of the Ping icon static that holds the id of the icon it shows.
    static constexpr const char* kIconIdProperty = "iconId";

    CDlgImage(QWidget* pMainWnd, CCameraLink* pStorage, int nIDTemplate = IDD);
    ~CDlgImage() override;

    bool OnPreInitDialog() override;
    bool RefreshFromStorage() override;
    void ReloadValues() override;
    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam) override;
    void OnParamChanged(const _OrvStParam* param) override;

    /// The records of the eight AOI edits, in this order.
    enum AOIRecord { MasterHorOffset, MasterVerOffset, MasterWidth, MasterHeight,
                     SlaveHorOffset, SlaveVerOffset, SlaveWidth, SlaveHeight, AOIRecordCount };

    int SetMasterAOIHorOffset(int value) { return SetAOI(MasterHorOffset, value); }
    int SetMasterAOIVerOffset(int value) { return SetAOI(MasterVerOffset, value); }
    int SetMasterAOIWidth(int value) { return SetAOI(MasterWidth, value); }
    int SetMasterAOIHeight(int value) { return SetAOI(MasterHeight, value); }
    int SetSlaveAOIHorOffset(int value) { return SetAOI(SlaveHorOffset, value); }
    int SetSlaveAOIVerOffset(int value) { return SetAOI(SlaveVerOffset, value); }
    int SetSlaveAOIWidth(int value) { return SetAOI(SlaveWidth, value); }
    int SetSlaveAOIHeight(int value) { return SetAOI(SlaveHeight, value); }

protected:
    /// The controls of template 230; a derived panel builds its own template.
    void BuildTemplate() override;
    void DoDataExchange(bool save) override;
    void OnHScroll(unsigned code, int pos, QWidget* scrollBar) override;
    void OnVScroll(unsigned code, int pos, QWidget* scrollBar) override;
    virtual void OnTimer(unsigned id);

    // The operator's actions.
    void OnBnClickedPing();
    void OnBnClickedMirror();
    void OnBnClickedKeepFrameRate();
    void OnBnClickedNegative();
    void OnCbnSelchangeTestMode();
    void OnCbnSelchangeSlaveAOIMode();
    /// A pick in structure combo 0-3 (taps, bit depth, bit shift, output format).
    void SetComboParam(int index);
    /// A pick in correction combo 0-4 (HPC, FFC, LUT, black level, smear).
    void SetCorrectionParam(int index);
    void SetHPCThreshold(int value);
    void SetBrightness(int value);
    /// Writes AOI record's parameter with value as given; answers the value written.
    virtual int SetAOI(int record, int value);
    /// A binning radio (name BinHorzMode or BinVertMode, value 0, 1 or 3): ignored while the
    /// panel is being activated, else kept and written.
    virtual void OnBinningRadio(const char* name, int value);
    /// Writes a binning value for a radio (the panel owns the link's messages meanwhile);
    /// nothing while another binning write of the class runs.
    virtual void WriteBinning(const char* name, int value);
    /// The flag, shared by all panels of the class, that marks a binning write in progress.
    virtual bool& BinningWriteFlag();

    // Refresh steps, in their order.
    /// Loads the Ping icons once and shows the idle one.
    void LoadIcons();
    void RefreshStructure();
    void RemoveTwelveBitDepth();
    void RefreshChecks();
    void CutTapChoices();
    void RefreshCorrections();
    void RefreshTestMode();
    void RefreshSlaveAOI();
    void RefreshMasterAOI();
    void RefreshBinning();
    /// Collapses the Test group when there is no brightness.
    void LayoutGroups();
    /// Removes the slave AOI group and moves the groups below into its room.
    void LayoutAOI();
    /// The controls of the slave AOI group, which the AOI collapse hides.
    static std::span<const int> SlaveGroupIds();

    /// The parameter's value; 0 when the read fails.
    int ReadInt(const char* name);
    /// The camera's value of `name`; none when the read failed.
    std::optional<int> Read(const char* name);
    /// Reads binning, frame size limits, the structure combos, keep-frame-rate and negative.
    void ReloadFrameValues();
    /// The parameter's catalogue record, zeroed when the parameter is absent (false).
    bool Record(const char* name, _OrvStParam& record) const;
    void ShowPingState(int iconId, const char* text);
    void ShowItem(int id, bool show);

    std::array<ComboParam, 4> m_structure;
    std::array<ComboParam, 5> m_correction;
    ComboParam m_testMode;
    ComboParam m_slaveMode;
    int m_nMirror = 0;
    int m_nKeepFrameRate = 0;
    int m_nNegative = 0;
    CSliderEditSpin m_hpcThreshold;
    CSliderEditSpin m_brightness;
    std::array<CEditSpin, AOIRecordCount> m_aoi;
    int m_nBinHorzMode = 0;
    std::optional<int> m_binHorzRead, m_binVertRead;  ///< the camera's answers at the last refresh
    int m_nBinVertMode = 0;
    int m_nHorFrameSizeMin = 0;
    int m_nHorFrameSizeMax = 0;
    int m_nVerFrameSizeMin = 0;
    int m_nVerFrameSizeMax = 0;
    bool m_bSlavePresent = true;
    bool m_bIconsLoaded = false;
    std::array<QIcon, 4> m_icons;  ///< idle, busy, OK, no answer
    wnd::CWndTimers* m_pTimers;

    static const char* const kAOINames[AOIRecordCount];

private:
    static bool s_bBinningWrite;
};

/// The controls of template 230 and its size in dialog units.
std::span<const panel_template::Item> ImageTemplateItems();
inline constexpr int kImageTemplateWidth = 240;
inline constexpr int kImageTemplateHeight = 346;
