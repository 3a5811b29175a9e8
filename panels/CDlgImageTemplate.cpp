// Template 230: the Image Parameters panel. The slave AOI group sits right of the master group
// with room for the image structure rows, which move into it when the camera has no slave
// AOI; the structure rows' first combo lies low enough in its group that the taps and format
// rows, stacked below the bit-shift row there, still fit. The slave mode's list has a row of
// its own, and every list is as wide as its longest item.
#include "panels/CDlgImage.h"
#include "panels/PanelTemplate.h"

namespace {

using panel_template::Item;
using K = panel_template::Kind;
using D = CDlgImage;

constexpr Item kItems[] = {
    // Binning
    {D::IDC_BINNING_BOX, K::Group, " Binning ", 7, 4, 226, 40},
    {0, K::Static, "Horz:", 14, 17, 22, 8},
    {D::IDC_BIN_H1, K::RadioFirst, "1x", 38, 16, 24, 10},
    {D::IDC_BIN_H2, K::Radio, "2x", 64, 16, 24, 10},
    {D::IDC_BIN_H4, K::Radio, "4x", 90, 16, 24, 10},
    {0, K::Static, "Vert:", 124, 17, 22, 8},
    {D::IDC_BIN_V1, K::RadioFirst, "1x", 148, 16, 24, 10},
    {D::IDC_BIN_V2, K::Radio, "2x", 174, 16, 24, 10},
    {D::IDC_BIN_V4, K::Radio, "4x", 200, 16, 24, 10},
    {D::IDC_KEEP_FRAME_RATE, K::Check, "Keep Frame Rate", 14, 29, 100, 10},

    // Master AOI
    {D::IDC_MASTER_BOX, K::Group, " Master AOI ", 7, 48, 111, 82},
    {0, K::Static, "Offset", 22, 58, 36, 8},
    {0, K::Static, "Size", 77, 58, 36, 8},
    {0, K::Static, "X:", 13, 70, 9, 8},
    {D::IDC_MASTER_HOFF, K::Edit, nullptr, 22, 68, 38, 12},
    {D::IDC_MASTER_HOFF_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {0, K::Static, "W:", 64, 70, 11, 8},
    {D::IDC_MASTER_WIDTH, K::Edit, nullptr, 75, 68, 38, 12},
    {D::IDC_MASTER_WIDTH_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {0, K::Static, "Y:", 13, 86, 9, 8},
    {D::IDC_MASTER_VOFF, K::Edit, nullptr, 22, 84, 38, 12},
    {D::IDC_MASTER_VOFF_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {0, K::Static, "H:", 64, 86, 11, 8},
    {D::IDC_MASTER_HEIGHT, K::Edit, nullptr, 75, 84, 38, 12},
    {D::IDC_MASTER_HEIGHT_SPIN, K::Spin, nullptr, 0, 0, 0, 0},

    // Slave AOI
    {D::IDC_SLAVE_BOX, K::Group, " Slave AOI ", 122, 48, 111, 82},
    {1630, K::Static, "Offset", 137, 58, 36, 8},
    {1631, K::Static, "Size", 192, 58, 36, 8},
    {1632, K::Static, "X:", 128, 70, 9, 8},
    {D::IDC_SLAVE_HOFF, K::Edit, nullptr, 137, 68, 38, 12},
    {D::IDC_SLAVE_HOFF_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {1634, K::Static, "W:", 179, 70, 11, 8},
    {D::IDC_SLAVE_WIDTH, K::Edit, nullptr, 190, 68, 38, 12},
    {D::IDC_SLAVE_WIDTH_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {1633, K::Static, "Y:", 128, 86, 9, 8},
    {D::IDC_SLAVE_VOFF, K::Edit, nullptr, 137, 84, 38, 12},
    {D::IDC_SLAVE_VOFF_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {1635, K::Static, "H:", 179, 86, 11, 8},
    {D::IDC_SLAVE_HEIGHT, K::Edit, nullptr, 190, 84, 38, 12},
    {D::IDC_SLAVE_HEIGHT_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {D::IDC_SLAVE_MODE_LABEL, K::Static, "Mode:", 128, 103, 24, 8},
    {D::IDC_SLAVE_MODE, K::Combo, nullptr, 128, 113, 100, 12},

    // Image structure: bit depth and shift on the left, taps and format on the right
    {D::IDC_STRUCTURE_BOX, K::Group, " Image Structure ", 7, 134, 226, 47},
    {D::IDC_BIT_DEPTH_LABEL, K::Static, "Bit Depth:", 13, 152, 35, 8},
    {D::IDC_BIT_DEPTH, K::Combo, nullptr, 50, 150, 65, 12},
    {D::IDC_TAPS_LABEL, K::Static, "CCD Taps:", 128, 152, 54, 8},
    {D::IDC_TAPS, K::Combo, nullptr, 183, 150, 45, 12},
    {D::IDC_BIT_SHIFT_LABEL, K::Static, "Bit Shift:", 13, 166, 35, 8},
    {D::IDC_BIT_SHIFT, K::Combo, nullptr, 50, 164, 65, 12},
    {D::IDC_OUTPUT_FORMAT_LABEL, K::Static, "Output Format:", 128, 166, 54, 8},
    {D::IDC_OUTPUT_FORMAT, K::Combo, nullptr, 183, 164, 45, 12},

    // Image correction
    {D::IDC_CORRECTION_BOX, K::Group, " Image Correction ", 7, 185, 226, 97},
    {D::IDC_HPC_LABEL, K::Static, "Bad Pixel\nCorrection:", 13, 195, 40, 18},
    {D::IDC_HPC, K::Combo, nullptr, 54, 197, 78, 12},
    {D::IDC_FFC_LABEL, K::Static, "FFC:", 134, 199, 48, 8},
    {D::IDC_FFC, K::Combo, nullptr, 183, 197, 45, 12},
    {D::IDC_HPC_THRESHOLD_LABEL, K::Static, "Correction Depth:", 13, 217, 64, 8},
    {D::IDC_HPC_SLIDER, K::TrackBar, nullptr, 78, 215, 98, 12},
    {D::IDC_HPC_EDIT, K::Edit, nullptr, 178, 215, 50, 12},
    {D::IDC_HPC_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {D::IDC_HPC_MIN, K::Static, nullptr, 80, 228, 40, 8},
    {D::IDC_HPC_MAX, K::StaticRight, nullptr, 136, 228, 40, 8},
    {D::IDC_LUT_LABEL, K::Static, "LUT:", 13, 242, 54, 8},
    {D::IDC_LUT, K::Combo, nullptr, 68, 240, 45, 12},
    {D::IDC_BLACK_LEVEL_LABEL, K::Static, "Black Level:", 128, 242, 54, 8},
    {D::IDC_BLACK_LEVEL, K::Combo, nullptr, 183, 240, 45, 12},
    {D::IDC_SMEAR_LABEL, K::Static, "Smear Cor:", 13, 257, 54, 8},
    {D::IDC_SMEAR, K::Combo, nullptr, 68, 255, 45, 12},
    {D::IDC_MIRROR, K::Check, "Horizontal Flip", 128, 256, 100, 10},
    {D::IDC_NEGATIVE, K::Check, "Negative Image", 128, 269, 100, 10},

    // Test
    {D::IDC_TEST_BOX, K::Group, " Test ", 7, 286, 226, 56},
    {D::IDC_TEST_MODE_LABEL, K::Static, "Test Mode:", 13, 301, 40, 8},
    {D::IDC_TEST_MODE, K::Combo, nullptr, 54, 299, 98, 12},
    {D::IDC_PING, K::Button, "Ping", 154, 298, 46, 14},
    {D::IDC_PING_ICON, K::Icon, nullptr, 202, 300, 11, 10},
    {D::IDC_PING_TEXT, K::Static, nullptr, 214, 301, 17, 8},
    {D::IDC_BRIGHTNESS_LABEL, K::Static, "Brightness:", 13, 319, 54, 8},
    {D::IDC_BRIGHTNESS_SLIDER, K::TrackBar, nullptr, 68, 317, 108, 12},
    {D::IDC_BRIGHTNESS_EDIT, K::Edit, nullptr, 178, 317, 50, 12},
    {D::IDC_BRIGHTNESS_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {D::IDC_BRIGHTNESS_MIN, K::Static, nullptr, 70, 330, 40, 8},
    {D::IDC_BRIGHTNESS_MAX, K::StaticRight, nullptr, 136, 330, 40, 8},
};

}  // namespace

std::span<const panel_template::Item> ImageTemplateItems()
{
    return kItems;
}
