#include "CCorvel_5Dlg.h"

#include "controls/DlgItem.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>

CCorvel_5Dlg::CCorvel_5Dlg(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Corvel"));
    wnd::SetDlgCtrlID(this, IDD);
    setFixedSize(240, 34);

    // Status row: the frame with the camera label inside, inset 4 pixels.
    auto* frame = new QFrame(this);
    wnd::SetDlgCtrlID(frame, IDC_STATUS_FRAME);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setGeometry(4, 6, width() - 8, 24);
    cameraLabel_ = new QLabel(QString::fromLatin1(kNotDetectedText), frame);
    wnd::SetDlgCtrlID(cameraLabel_, IDC_CAMERA_LABEL);
    cameraLabel_->setGeometry(4, 0, frame->width() - 8, frame->height());
    cameraLabel_->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
}

void CCorvel_5Dlg::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    emit Closed();
}
