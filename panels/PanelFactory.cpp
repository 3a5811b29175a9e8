#include "panels/PanelFactory.h"

#include "catalogues/ConfigurationTable.h"
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
    case 0:
        if (variant == PanelVariant::Kelmir)
            return std::make_unique<CDlgGainOffsetKelmir>(mainWnd, link);
        return std::make_unique<CDlgGainOffset>(mainWnd, link);
    case 1:
        return std::make_unique<CDlgOutput>(mainWnd, link);
    case 2:
        return std::make_unique<CDlgAcquisition>(mainWnd, link);
    case 3:
        if (variant != PanelVariant::NoAecAgc)
            return std::make_unique<CDlgAECAGC>(mainWnd, link);
        break;
    case 4:
        if (variant == PanelVariant::Kelmir)
            return std::make_unique<CDlgImageKelmir>(mainWnd, link);
        return std::make_unique<CDlgImage>(mainWnd, link, templateId);
    case 5:
        return std::make_unique<CDlgWhiteBalance>(mainWnd, link);
    case 6:
        return std::make_unique<CDlgTempControl>(mainWnd, link);
    case 7:
        return std::make_unique<CDlgLensControl>(mainWnd, link);
    case 8:
        return std::make_unique<CDlgRunPythonScript>(mainWnd, link);
    default:
        break;
    }
    return nullptr;
}
