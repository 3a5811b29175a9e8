#include "CPanelSlot.h"

#include "controls/LastConfig.h"

#include "controls/CDrawButton.h"
#include "controls/WindowIds.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

const PanelSlotSpec kPanelSlotSpecs[kPanelSlots] = {
    {"Gain && Offset", 1423, 32802, 130, 221},
    {"Output Control", 1424, 32803, 132, 218},
    {"Acquisition Control", 1425, 32804, 154, 220},
    {"AEC/AGC Control", 1426, 32805, 157, 222},
    {"Image Parameters", 1427, 32806, 156, 230},
    {"Color Control", 1428, 32807, 192, 224},
    {"Temperature Control", 1429, 32808, 237, 235},
    {"Lens Control", 1430, 32809, 242, 238},
    {"Run Python", 1431, 32810, 232, 231},
};

bool FloatingPanelPosition(const std::string& text, const QRect& panelFrame, QPoint& topLeft)
{
    const lastconfig::PanelPos pos = lastconfig::ParsePanelPos(text);
    if (pos.docked)
        return false;
    // A position saved on a screen that is gone (or a made-up one) would put the panel where
    // nobody can reach it: it stays docked then.
    const QPoint corner(pos.left, pos.top);
    const QRect placed(corner, panelFrame.size().isValid() ? panelFrame.size() : QSize(1, 1));
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().contains(corner) && screen->availableGeometry().intersects(placed)) {
            topLeft = corner;
            return true;
        }
    }
    return false;
}

bool CPanelSlot::Attach(const RegisterMapPtr& document)
{
    if (!m_pPanel || !m_pszKey)
        return false;
    m_pPanel->SetXmlNode(document);
    m_pPanel->SetOwnerButton(m_pButton);
    // A panel kept over a rebuild keeps its place, floating or docked.
    if (m_bPlaced)
        return true;
    m_bPlaced = true;
    m_pPanel->m_bDocked = true;
    const std::string posKey = std::string(m_pszKey) + "Pos";
    const std::string saved = lastconfig::Read(LastConfigTextKey{posKey.c_str(), ""});
    QPoint topLeft;
    if (!saved.empty() && FloatingPanelPosition(saved, m_pPanel->frameGeometry(), topLeft)) {
        m_pPanel->m_bDocked = false;
        m_pPanel->move(topLeft);
    }
    return true;
}

void CPanelSlot::Close()
{
    if (m_pPanel) {
        if (m_pszKey) {
            const lastconfig::PanelPos pos{m_pPanel->m_bDocked, m_pPanel->x(), m_pPanel->y()};
            const std::string posKey = std::string(m_pszKey) + "Pos";
            lastconfig::Write(LastConfigTextKey{posKey.c_str(), ""}, lastconfig::FormatPanelPos(pos));
        }
        if (m_pButton)
            m_pButton->OnCommand(wnd::ID_PANEL_CLOSED, 0);
        m_pPanel.reset();
    }
    m_pszKey = nullptr;
    m_bPlaced = false;
    m_bView = false;
    m_bOpen = false;
}
