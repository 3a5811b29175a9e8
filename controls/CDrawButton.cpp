#include "controls/CDrawButton.h"

#include "controls/DlgItem.h"
#include "controls/DrawButtonRules.h"
#include "controls/Paint3D.h"
#include "controls/SystemLook.h"
#include "controls/WindowIds.h"

#include <QPainter>

CDrawButton::CDrawButton(QWidget* parent, int id) : QPushButton(parent)
{
    wnd::SetDlgCtrlID(this, id);
    setAutoDefault(false);
    // Connected first, so the latch has changed before anyone else hears the click.
    connect(this, &QAbstractButton::clicked, this, [this] { OnClicked(); });
}

void CDrawButton::OnClicked()
{
    if (m_strTitle.isEmpty())
        m_strTitle = text();
    m_bLatched = LatchAfterClick(wnd::GetDlgCtrlID(this), m_bLatched);
    update();
    wnd::SendCommand(wnd::FindCommandTarget(parentWidget()),
                     wnd::MakeWParam(static_cast<unsigned>(wnd::GetDlgCtrlID(this)), wnd::BN_CLICKED),
                     wnd::WindowHandle(this));
}

bool CDrawButton::OnCommand(wnd::WPARAM wParam, wnd::LPARAM)
{
    if (wParam == wnd::ID_PANEL_CLOSED) {
        m_bLatched = false;
        update();
    }
    return false;
}

void CDrawButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& pal = palette();
    const QRect item = rect();

    QColor fill;
    switch (ChooseDrawButtonBrush(wnd::GetDlgCtrlID(this), isDown(), m_bLatched)) {
    case DrawButtonBrush::Face: fill = wnd::GetSysColor(wnd::COLOR_BTNFACE, pal); break;
    case DrawButtonBrush::Shadow: fill = wnd::GetSysColor(wnd::COLOR_BTNSHADOW, pal); break;
    case DrawButtonBrush::GrayText: fill = wnd::GetSysColor(wnd::COLOR_GRAYTEXT, pal); break;
    }
    painter.setPen(Qt::black);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(item).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    painter.setBrush(Qt::NoBrush);

    QRect inside = item;
    wnd::DrawEdge(painter, inside, m_bLatched ? wnd::Edge::Sunken : wnd::Edge::Raised, pal, true);

    if (!m_hIcon.isNull()) {
        const int y = inside.top() + (inside.height() - m_nIconHeight) / 2;
        m_hIcon.paint(&painter, QRect(m_nMargin, y, m_nIconWidth, m_nIconHeight));
    }

    painter.setPen(QColor(0, 0, 255));
    painter.setFont(font());
    const QRect textRect(item.left() + TextLeft(), inside.top(), inside.right() - TextLeft() + 1, inside.height());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
    if (!m_strRight.isEmpty()) {
        const QRect rightRect(inside.left(), inside.top(), RightTextEnd() - inside.left(), inside.height());
        painter.drawText(rightRect, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, m_strRight);
    }
}
