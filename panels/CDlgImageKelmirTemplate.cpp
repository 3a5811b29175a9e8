// Template 223: the Kelmir Image Parameters panel. The groups stand one below the other: the
// slave AOI group between the master group and the image structure, so that without a slave
// AOI everything below moves up by the slave group's room. The two threshold rows follow the
// DPC and HPC rows in that order.
#include "panels/CDlgImageKelmir.h"
#include "panels/PanelTemplate.h"

namespace {

using panel_template::Item;
using K = panel_template::Kind;
using D = CDlgImageKelmir;

constexpr Item kItems[] = {
    // Binning
    {D::IDC_BINNING_BOX, K::Group, " Binning ", 7, 4, 226, 30},
    {0, K::Static, "Horz:", 14, 17, 22, 8},
    {D::IDC_BIN_H1, K::RadioFirst, "1x", 38, 16, 24, 10},
    {D::IDC_BIN_H2, K::Radio, "2x", 64, 16, 24, 10},
    {D::IDC_BIN_H4, K::Radio, "4x", 90, 16, 24, 10},
    {0, K::Static, "Vert:", 124, 17, 22, 8},
    {D::IDC_BIN_V1, K::RadioFirst, "1x", 148, 16, 24, 10},
    {D::IDC_BIN_V2, K::Radio, "2x", 174, 16, 24, 10},
    {D::IDC_BIN_V4, K::Radio, "4x", 200, 16, 24, 10},

    // Master AOI: offsets X, Y and sizes W, H in one row
    {D::IDC_MASTER_BOX, K::Group, " Master AOI ", 7, 38, 226, 30},
    {0, K::Static, "X:", 13, 52, 9, 8},
    {D::IDC_MASTER_HOFF, K::Edit, nullptr, 23, 50, 40, 12},
    {D::IDC_MASTER_HOFF_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {0, K::Static, "Y:", 68, 52, 9, 8},
    {D::IDC_MASTER_VOFF, K::Edit, nullptr, 78, 50, 40, 12},
    {D::IDC_MASTER_VOFF_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {0, K::Static, "W:", 123, 52, 11, 8},
    {D::IDC_MASTER_WIDTH, K::Edit, nullptr, 134, 50, 40, 12},
    {D::IDC_MASTER_WIDTH_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {0, K::Static, "H:", 178, 52, 11, 8},
    {D::IDC_MASTER_HEIGHT, K::Edit, nullptr, 189, 50, 40, 12},
    {D::IDC_MASTER_HEIGHT_SPIN, K::Spin, nullptr, 0, 0, 0, 0},

    // Slave AOI: its mode, then the same row as the master
    {D::IDC_SLAVE_BOX, K::Group, " Slave AOI ", 7, 72, 226, 44},
    {D::IDC_SLAVE_MODE_LABEL, K::Static, "Mode:", 13, 86, 24, 8},
    {D::IDC_SLAVE_MODE, K::Combo, nullptr, 38, 84, 96, 12},
    {1630, K::Static, "X:", 13, 102, 9, 8},
    {D::IDC_SLAVE_HOFF, K::Edit, nullptr, 23, 100, 40, 12},
    {D::IDC_SLAVE_HOFF_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {1631, K::Static, "Y:", 68, 102, 9, 8},
    {D::IDC_SLAVE_VOFF, K::Edit, nullptr, 78, 100, 40, 12},
    {D::IDC_SLAVE_VOFF_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {1632, K::Static, "W:", 123, 102, 11, 8},
    {D::IDC_SLAVE_WIDTH, K::Edit, nullptr, 134, 100, 40, 12},
    {D::IDC_SLAVE_WIDTH_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {1633, K::Static, "H:", 178, 102, 11, 8},
    {D::IDC_SLAVE_HEIGHT, K::Edit, nullptr, 189, 100, 40, 12},
    {D::IDC_SLAVE_HEIGHT_SPIN, K::Spin, nullptr, 0, 0, 0, 0},

    // Image structure, with the three check boxes
    {D::IDC_STRUCTURE_BOX, K::Group, " Image Structure ", 7, 120, 226, 72},
    {D::IDC_BIT_DEPTH_LABEL, K::Static, "Bit Depth:", 13, 134, 35, 8},
    {D::IDC_BIT_DEPTH, K::Combo, nullptr, 50, 132, 66, 12},
    {D::IDC_TAPS_LABEL, K::Static, "CCD Taps:", 124, 134, 48, 8},
    {D::IDC_TAPS, K::Combo, nullptr, 174, 132, 54, 12},
    {D::IDC_BIT_SHIFT_LABEL, K::Static, "Bit Shift:", 13, 149, 35, 8},
    {D::IDC_BIT_SHIFT, K::Combo, nullptr, 50, 147, 66, 12},
    {D::IDC_FORMAT_LABEL, K::Static, "Format:", 124, 149, 48, 8},
    {D::IDC_OUTPUT_FORMAT, K::Combo, nullptr, 174, 147, 54, 12},
    {D::IDC_KEEP_FRAME_RATE, K::Check, "Keep Frame Rate", 13, 164, 100, 10},
    {D::IDC_MIRROR, K::Check, "Horizontal Flip", 124, 164, 100, 10},
    {D::IDC_NEGATIVE, K::Check, "Negative Image", 13, 177, 100, 10},

    // Image correction
    {D::IDC_CORRECTION_BOX, K::Group, " Image Correction ", 7, 196, 226, 122},
    {D::IDC_DPC_LABEL, K::Static, "DPC:", 13, 210, 22, 8},
    {D::IDC_DPC_ENABLE, K::Combo, nullptr, 36, 208, 48, 12},
    {D::IDC_DPC_SELECT, K::Combo, nullptr, 86, 208, 48, 12},
    {D::IDC_FFC_LABEL, K::Static, "FFC:", 142, 210, 24, 8},
    {D::IDC_FFC, K::Combo, nullptr, 168, 208, 60, 12},
    {D::IDC_HPC_LABEL, K::Static, "HPC:", 13, 225, 22, 8},
    {D::IDC_HPC_ENABLE, K::Combo, nullptr, 36, 223, 48, 12},
    {D::IDC_HPC_SELECT, K::Combo, nullptr, 86, 223, 48, 12},
    {D::IDC_LUT_LABEL, K::Static, "LUT:", 142, 225, 24, 8},
    {D::IDC_LUT, K::Combo, nullptr, 168, 223, 60, 12},
    {D::IDC_THRESHOLD_LABEL, K::Static, "Threshold:", 13, 242, 46, 8},
    {D::IDC_DPC_SLIDER, K::TrackBar, nullptr, 60, 240, 112, 12},
    {D::IDC_DPC_EDIT, K::Edit, nullptr, 174, 240, 54, 12},
    {D::IDC_DPC_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {D::IDC_DPC_MIN, K::Static, nullptr, 62, 253, 40, 8},
    {D::IDC_DPC_MAX, K::StaticRight, nullptr, 130, 253, 40, 8},
    {D::IDC_HPC_SLIDER, K::TrackBar, nullptr, 60, 264, 112, 12},
    {D::IDC_HPC_EDIT, K::Edit, nullptr, 174, 264, 54, 12},
    {D::IDC_HPC_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {D::IDC_HPC_MIN, K::Static, nullptr, 62, 277, 40, 8},
    {D::IDC_HPC_MAX, K::StaticRight, nullptr, 130, 277, 40, 8},
    {D::IDC_BLACK_LEVEL_LABEL, K::Static, "Black Level Correction:", 13, 291, 100, 8},
    {D::IDC_BLACK_LEVEL, K::Combo, nullptr, 116, 289, 60, 12},
    {D::IDC_SMEAR_LABEL, K::Static, "Smear Correction:", 13, 305, 100, 8},
    {D::IDC_SMEAR, K::Combo, nullptr, 116, 303, 60, 12},

    // Test
    {D::IDC_TEST_BOX, K::Group, " Test ", 7, 322, 226, 56},
    {D::IDC_TEST_MODE_LABEL, K::Static, "Test Mode:", 13, 336, 40, 8},
    {D::IDC_TEST_MODE, K::Combo, nullptr, 54, 334, 98, 12},
    {D::IDC_PING, K::Button, "Ping", 154, 333, 46, 14},
    {D::IDC_PING_ICON, K::Icon, nullptr, 202, 335, 11, 10},
    {D::IDC_PING_TEXT, K::Static, nullptr, 214, 336, 17, 8},
    {D::IDC_BRIGHTNESS_LABEL, K::Static, "Brightness:", 13, 354, 46, 8},
    {D::IDC_BRIGHTNESS_SLIDER, K::TrackBar, nullptr, 60, 352, 112, 12},
    {D::IDC_BRIGHTNESS_EDIT, K::Edit, nullptr, 174, 352, 54, 12},
    {D::IDC_BRIGHTNESS_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {D::IDC_BRIGHTNESS_MIN, K::Static, nullptr, 62, 365, 40, 8},
    {D::IDC_BRIGHTNESS_MAX, K::StaticRight, nullptr, 130, 365, 40, 8},
};

}  // namespace

std::span<const panel_template::Item> ImageKelmirTemplateItems()
{
    return kItems;
}
