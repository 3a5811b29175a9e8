// The main window's slot button: a painted button that latches while its panel is open.
// A click toggles the latch before the parent hears of it (as a BN_CLICKED command), so the
// main window reads the new state; a panel that is hidden or closed sends ID_PANEL_CLOSED
// (0x7000), which releases it. The workspace button (1232) never latches.
#pragma once

#include "controls/Command.h"

#include <QIcon>
#include <QPushButton>
#include <QString>

class CDrawButton : public QPushButton, public wnd::ICommandTarget {
public:
    explicit CDrawButton(QWidget* parent = nullptr, int id = 0);

    /// ID_PANEL_CLOSED clears the latch and repaints. Never reports a command as handled, so the
    /// caller's own handling goes on.
    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam) override;

    QIcon m_hIcon;          ///< drawn at the left; set by the main window per slot
    int m_nIconWidth = 32;
    int m_nIconHeight = 32;
    int m_nMargin = 10;     ///< left margin of the icon and half the gap between icon and text
    QString m_strTitle;     ///< the button text, cached at the first click
    bool m_bLatched = false;
    QString m_strRight;     ///< optional second text, right-aligned

    /// Where the texts start and end (item rectangle coordinates), for drawing and tests.
    int TextLeft() const { return m_nIconWidth + 2 * m_nMargin; }
    int RightTextEnd() const { return width() - 5; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnClicked();
};
