// The "Image Parameters" panel of the Kelmir camera (template 223, slot 4). It is the image panel
// with four differences: the correction group has enable and select combos for defective and
// hot pixel correction and select-only combos for the flat field and the look-up table, whose
// first item ("Off") clears their enables; two threshold slider groups; area-of-interest edits
// that stay inside the frame (offsets 0 .. max - 1, sizes min .. max - offset) and are reset to
// the full frame when binning changes, disabled while binning is not 1x; and debug mode switches
// these AOI rules and the cut of the taps choices off.
//
// It keeps the image panel's binning radios, AOI records, structure combos, check boxes, test
// mode, brightness, Ping and test-group collapse, and composes its refresh from that panel's
// steps. The image panel's five correction combos stay unused here: this panel has its own eight.
#pragma once

#include "panels/CDlgImage.h"

class CDlgImageKelmir : public CDlgImage {
public:
    enum { IDD = 223 };

    // Control ids of template 223 beyond those of template 230.
    enum : int {
        IDC_DPC_ENABLE = 1504, IDC_DPC_SELECT = 1543, IDC_DPC_LABEL = 1638,
        IDC_HPC_ENABLE = 1505, IDC_HPC_SELECT = 1544,
        IDC_DPC_SLIDER = 1531, IDC_DPC_EDIT = 1532, IDC_DPC_SPIN = 1533, IDC_DPC_MIN = 1564, IDC_DPC_MAX = 1565,
        IDC_THRESHOLD_LABEL = 1639,
        IDC_FORMAT_LABEL = 1569,
    };

    /// The correction combos, in this order.
    enum Correction { DPCEnable, DPCSelect, HPCEnable, HPCSelect, FFCSelect, LUTSelect, BlackLevel, Smear,
                      CorrectionCount };

    CDlgImageKelmir(QWidget* pMainWnd, CCameraLink* pStorage);

    bool OnPreInitDialog() override;
    bool RefreshFromStorage() override;
    void ReloadValues() override;
    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam) override;
    void OnParamChanged(const _OrvStParam* param) override;

    /// Writes an AOI offset, kept inside the frame outside debug mode, and shrinks the matching
    /// size to the room the offset leaves (that write is heard and shown); answers the offset
    /// written.
    int SetAOIOffset(int value, int sizeMin, int frameMax, const char* offsetName, const char* sizeName,
                     CEditSpin& sizeEdit);
    /// Writes an AOI size, kept within min .. room left by the offset outside debug mode (the
    /// room wins when the two conflict); answers the size written.
    int SetAOISize(int value, int sizeMin, int frameMax, const char* sizeName, const char* offsetName);
    /// The AOIs of an axis to the full frame: offsets 0, sizes the frame maximum.
    void ResetHorizontalAOI();
    void ResetVerticalAOI();

protected:
    void BuildTemplate() override;
    void DoDataExchange(bool save) override;
    void OnHScroll(unsigned code, int pos, QWidget* scrollBar) override;
    void OnVScroll(unsigned code, int pos, QWidget* scrollBar) override;
    int SetAOI(int record, int value) override;
    void OnBinningRadio(const char* name, int value) override;
    void WriteBinning(const char* name, int value) override;
    bool& BinningWriteFlag() override;

    void OnBnClickedFFCEnable();
    void OnBnClickedLUTEnable();
    /// Threshold 0 (DPC) or 1 (HPC).
    void SetThresholdParam(int index, int value);

    // Refresh steps of this panel.
    void RefreshKelmirStructure();
    void RefreshKelmirChecks();
    void RefreshKelmirCorrections();
    void RefreshThresholds();
    void RefreshKelmirAOI();
    /// Ranges, shows and listens to the AOI group of records first .. first + 3.
    void RefreshAOIGroup(int first, const char* widthName);
    /// Enables the AOI edits in debug mode or at 1x binning on both axes.
    void UpdateAOIEnabling();
    /// Removes the slave AOI group and moves everything below up to the master group.
    void LayoutAOI();

    std::array<ComboParam, CorrectionCount> m_corrections;
    int m_nFFCEnable = 0;
    bool m_ffcEnableRead = true;  ///< the camera answered the FFC switch at the last read
    bool m_lutEnableRead = true;  ///< the camera answered the LUT switch at the last read
    int m_nLUTEnable = 0;
    CSliderEditSpin m_dpcThreshold;

private:
    /// Whether the AOI rules bound an axis whose frame maximum is frameMax: not in debug mode,
    /// and not while the camera reports no frame (a limit of 0 leaves no valid offset).
    bool ClampsAxis(int frameMax) const;
    void ResetAxisAOI(bool horizontal);
    /// The select combo's pick sets its enable: item 0 ("Off") clears it, any other item
    /// writes the select and sets it.
    void WriteCoupledSelect(ComboParam& select, const char* enableName, int& enable);
    /// A notified enable (or select, with the enable unchanged) shows the select's item, or
    /// item 0 while the enable is 0.
    void ShowCoupledSelect(ComboParam& select, int enable);

    static bool s_bBinningWrite;
};

/// The controls of template 223 and its size in dialog units.
std::span<const panel_template::Item> ImageKelmirTemplateItems();
inline constexpr int kImageKelmirTemplateWidth = 240;
inline constexpr int kImageKelmirTemplateHeight = 382;
