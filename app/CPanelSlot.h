// One of the main window's nine panel slots: its button, its View item, the panel it holds and
// the "LastConfig" key under which its View flag and its position ("<key>Pos") are kept.
#pragma once

#include "controls/LastConfig.h"

#include "camera/RegisterMap.h"
#include "controls/COptionDialog.h"

#include <memory>

class CDrawButton;
class QRect;

/// The fixed description of a slot (its "LastConfig" key is lastconfig::kPanelKeys[slot]).
struct PanelSlotSpec {
    const char* title;   ///< caption, View item text
    int buttonId;
    int viewId;          ///< View menu command
    int iconId;
    int templateId;      ///< the standard panel's template
};

inline constexpr int kPanelSlots = lastconfig::kPanelSlotCount;
extern const PanelSlotSpec kPanelSlotSpecs[kPanelSlots];

class CPanelSlot {
public:
    CDrawButton* m_pButton = nullptr;          ///< owned by the main window
    std::unique_ptr<COptionDialog> m_pPanel;  ///< null while the slot is empty
    const char* m_pszKey = nullptr;           ///< profile key while attached
    bool m_bView = false;
    bool m_bOpen = false;
    bool m_bPlaced = false;  ///< the panel has had its first place (docked or saved floating)

    /// Gives the panel the document and its button; at the panel's first attach it docks it,
    /// then restores a floating position from "<key>Pos" when the value is complete and lies
    /// on a screen. A panel attached again (a rebuild that kept it) keeps its place.
    /// False without a panel or a profile key.
    bool Attach(const RegisterMapPtr& document);
    /// Saves "<key>Pos" (docked flag, left, top), releases the button's latch and destroys the
    /// panel; always clears the key, the View flag and the open flag.
    void Close();
};

/// The floating position to apply for a saved "Pos" text, or false when the panel stays docked:
/// the text is incomplete or docked, or its top-left corner is outside every screen's area.
bool FloatingPanelPosition(const std::string& text, const QRect& panelFrame, QPoint& topLeft);
