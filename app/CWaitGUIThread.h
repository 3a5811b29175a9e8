// The wait guard of long operations: constructing it shows the wait window and returns only
// when the window is on the screen and painted; destroying it removes the window and gives the
// foreground back to the main window. Qt has one user-interface thread, so the window lives on
// it: it is shown and painted synchronously, and its text repaints at once when changed.
// While any wait window is up, IsWaiting() is true and the polling timers return at once, so
// a poll never runs in the middle of the guarded operation.
#pragma once

#include "CWaitDlg.h"
#include "camera/IWaitIndicator.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

class CWaitGUIThread {
public:
    /// An empty message keeps "Processing. Please wait".
    explicit CWaitGUIThread(const QString& message = {});
    ~CWaitGUIThread();
    CWaitGUIThread(const CWaitGUIThread&) = delete;
    CWaitGUIThread& operator=(const CWaitGUIThread&) = delete;

    /// The wait window; its control 1254 holds the text.
    CWaitDlg& Dialog() { return *dialog_; }
    /// Changes the text; it is on the screen when this returns.
    void SetText(const QString& text) { dialog_->SetText(text); }

    /// True while at least one wait window is up.
    static bool IsWaiting();

private:
    std::unique_ptr<CWaitDlg> dialog_;
};

/// The camera link's wait indicator: a wait window for each Begin, removed by the matching End.
class CWaitIndicator final : public IWaitIndicator {
public:
    void Begin(const std::string& text) override
    {
        waits_.push_back(std::make_unique<CWaitGUIThread>(QString::fromStdString(text)));
    }
    void End() override
    {
        if (!waits_.empty())
            waits_.pop_back();
    }

private:
    std::vector<std::unique_ptr<CWaitGUIThread>> waits_;
};
