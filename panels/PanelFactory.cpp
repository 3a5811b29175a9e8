#include "panels/PanelFactory.h"

#include "catalogues/ConfigurationTable.h"
#include "controls/LastConfig.h"
#include "panels/CDlgAECAGC.h"
#include "panels/CDlgAcquisition.h"
#include "panels/CDlgGainOffset.h"
#include "panels/CDlgGainOffsetKelmir.h"
#include "panels/CDlgImage.h"
#include "panels/CDlgImageKelmir.h"
#include "panels/CDlgLensControl.h"
#include "panels/CDlgOutput.h"
#include "panels/CDlgTempControl.h"
#include "panels/CDlgWhiteBalance.h"
#include "panels/CDlgRunPythonScript.h"

std::unique_ptr<COptionDialog> CreateFeaturePanel(int slot, int row, int templateId, QWidget* mainWnd,
                                                  CCameraLink* link)
{
    const PanelVariant variant = ConfigurationRowFor(row).panels;
    // One case a slot; a panel class adds its own.
    switch (slot) {
    case lastconfig::kSlotGainOffset:
        if (variant == PanelVariant::Kelmir)
            return std::make_unique<CDlgGainOffsetKelmir>(mainWnd, link);
        return std::make_unique<CDlgGainOffset>(mainWnd, link);
    case lastconfig::kSlotOutput:
        return std::make_unique<CDlgOutput>(mainWnd, link);
    case lastconfig::kSlotAcquisition:
        return std::make_unique<CDlgAcquisition>(mainWnd, link);
    case lastconfig::kSlotAecAgc:
        if (variant != PanelVariant::NoAecAgc)
            return std::make_unique<CDlgAECAGC>(mainWnd, link);
        break;
    case lastconfig::kSlotImage:
        if (variant == PanelVariant::Kelmir)
            return std::make_unique<CDlgImageKelmir>(mainWnd, link);
        return std::make_unique<CDlgImage>(mainWnd, link, templateId);
    case lastconfig::kSlotWhiteBalance:
        return std::make_unique<CDlgWhiteBalance>(mainWnd, link);
    case lastconfig::kSlotTemperature:
        return std::make_unique<CDlgTempControl>(mainWnd, link);
    case lastconfig::kSlotLens:
        return std::make_unique<CDlgLensControl>(mainWnd, link);
    case lastconfig::kSlotScripts:
        return std::make_unique<CDlgRunPythonScript>(mainWnd, link);
    default:
        break;
    }
    return nullptr;
}
