// The wait window (dialog 176): a line of text and a busy bar that tell the operator the
// program is working through a long operation (configuration rebuild, port scan, workspace,
// dump and flash files).
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

class CWaitDlg : public QDialog {
public:
    enum { IDD = 176, IDC_TEXT = 1254, IDC_PROGRESS = 1025 };
    static constexpr char kDefaultText[] = "Processing. Please wait";

    CWaitDlg();

    /// Control 1254 and control 1025.
    QLabel* Text() const { return text_; }
    QProgressBar* Progress() const { return progress_; }

    /// Replaces the text and paints it before returning.
    void SetText(const QString& text);

protected:
    void reject() override {}  // Esc does not end a wait
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* text_;
    QProgressBar* progress_;
};
