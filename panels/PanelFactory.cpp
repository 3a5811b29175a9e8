#include "panels/PanelFactory.h"

#include "catalogues/ConfigurationTable.h"
#include "panels/CDlgLensControl.h"

std::unique_ptr<COptionDialog> CreateFeaturePanel(int slot, int row, int templateId, QWidget* mainWnd,
                                                  CCameraLink* link)
{
    const PanelVariant variant = ConfigurationRowFor(row).panels;
    // One case a slot; a panel class adds its own.
    switch (slot) {
    case 7:
        return std::make_unique<CDlgLensControl>(mainWnd, link);
    default:
        break;
    }
    (void)variant;
    (void)templateId;
    (void)mainWnd;
    (void)link;
    return nullptr;
}
