#include "CWaitDlg.h"

#include "controls/DlgItem.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

CWaitDlg::CWaitDlg()
    : QDialog(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      text_(new QLabel(QString::fromLatin1(kDefaultText), this)),
      progress_(new QProgressBar(this))
{
    setWindowTitle(QStringLiteral("Corvel"));
    wnd::SetDlgCtrlID(this, IDD);
    wnd::SetDlgCtrlID(text_, IDC_TEXT);
    wnd::SetDlgCtrlID(progress_, IDC_PROGRESS);
    text_->setAlignment(Qt::AlignCenter);
    text_->setWordWrap(true);
    text_->setMinimumHeight(2 * text_->fontMetrics().height());
    // A range of 0-0 is the moving busy bar.
    progress_->setRange(0, 0);
    progress_->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(progress_);
    setFixedWidth(320);
    setModal(false);
}

void CWaitDlg::SetText(const QString& text)
{
    text_->setText(text);
    text_->repaint();
}

void CWaitDlg::closeEvent(QCloseEvent* event)
{
    // Only the owner of the wait ends it.
    event->ignore();
}
