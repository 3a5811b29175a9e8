// The parameter names the feature panels use, each spelled once. Every panel has its own
// namespace here; PanelNamesOf lists them so a test can check each against the catalogues of
// the configurations that show the panel.
#pragma once

#include <string_view>
#include <vector>

namespace panel_names {

/// The names a panel uses, by the panel's template id; empty for an unknown template.
std::vector<std::string_view> PanelNamesOf(int templateId);

}  // namespace panel_names
