#include "controls/WindowTimers.h"

#include <QTimerEvent>

#include <utility>

namespace wnd {

CWndTimers::CWndTimers(QObject* parent, Handler onTimer) : QObject(parent), onTimer_(std::move(onTimer)) {}

CWndTimers::~CWndTimers()
{
    KillAll();
}

bool CWndTimers::SetTimer(unsigned id, int periodMs)
{
    KillTimer(id);
    const int period = periodMs < kMinTimerPeriodMs ? kMinTimerPeriodMs : periodMs;
    const int qtId = startTimer(period);
    if (qtId == 0)
        return false;
    timers_[id] = Running{qtId, period};
    return true;
}

bool CWndTimers::KillTimer(unsigned id)
{
    const auto it = timers_.find(id);
    if (it == timers_.end())
        return false;
    killTimer(it->second.qtId);
    timers_.erase(it);
    return true;
}

void CWndTimers::KillAll()
{
    for (const auto& [id, running] : timers_)
        killTimer(running.qtId);
    timers_.clear();
}

bool CWndTimers::IsRunning(unsigned id) const
{
    return timers_.count(id) != 0;
}

int CWndTimers::Period(unsigned id) const
{
    const auto it = timers_.find(id);
    return it == timers_.end() ? 0 : it->second.periodMs;
}

void CWndTimers::timerEvent(QTimerEvent* event)
{
    for (const auto& [id, running] : timers_) {
        if (running.qtId == event->timerId()) {
            // The handler may set or kill timers, so the loop ends before it runs.
            const unsigned firing = id;
            if (onTimer_)
                onTimer_(firing);
            return;
        }
    }
    QObject::timerEvent(event);
}

}  // namespace wnd
