// Which feature panel a main-window slot holds for a configuration row.
#pragma once

#include "controls/COptionDialog.h"

#include <memory>

class CCameraLink;
class QWidget;

/// The feature panel of `slot` for configuration row `row` (template `templateId`), created but
/// not yet shown; null where no panel class exists for the slot, so the slot keeps the plain
/// panel of the template.
std::unique_ptr<COptionDialog> CreateFeaturePanel(int slot, int row, int templateId, QWidget* mainWnd,
                                                  CCameraLink* link);
