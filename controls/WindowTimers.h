// Timers by id: a window starts a periodic timer under a number and hears OnTimer(id) each
// period, as panels and the main window poll the camera. Setting an id that runs restarts it
// with the new period; periods below 10 ms run at 10 ms.
#pragma once

#include <QObject>

#include <functional>
#include <map>

namespace wnd {

constexpr int kMinTimerPeriodMs = 10;

class CWndTimers : public QObject {
public:
    using Handler = std::function<void(unsigned id)>;

    /// onTimer is called on the user-interface thread with the timer's id. The timers end with
    /// this object; give it the window as parent so they end with the window.
    CWndTimers(QObject* parent, Handler onTimer);
    ~CWndTimers() override;

    /// Starts (or restarts) timer id with the period in ms. Returns false if Qt refuses.
    bool SetTimer(unsigned id, int periodMs);
    /// Stops timer id; false if it was not running.
    bool KillTimer(unsigned id);
    void KillAll();
    bool IsRunning(unsigned id) const;
    /// The period timer id runs with, in ms; 0 when it does not run.
    int Period(unsigned id) const;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    struct Running {
        int qtId;
        int periodMs;
    };
    Handler onTimer_;
    std::map<unsigned, Running> timers_;
};

}  // namespace wnd
