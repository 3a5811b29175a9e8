#include "panels/PanelNames.h"

namespace panel_names {

std::vector<std::string_view> PanelNamesOf(int templateId)
{
    switch (templateId) {
    default:
        return {};
    }
}

}  // namespace panel_names
