// A change listener of the parameter store: panels, dialogs and the terminal implement it to
// hear about every successful, notified set of a parameter they registered for. A listener
// leaves every store it is registered in when it is destroyed.
#pragma once

#include <set>

struct _OrvStParam;
class OrvParamStorage;

class OrvParamListener {
public:
    OrvParamListener() = default;
    /// A copy starts with no registrations of its own.
    OrvParamListener(const OrvParamListener&) {}
    OrvParamListener& operator=(const OrvParamListener&) { return *this; }
    virtual ~OrvParamListener();

    /// Called on the thread that made the change, after the value is stored and written.
    /// The record is the store's live record; it stays valid for the call only.
    virtual void OnParamChanged(const _OrvStParam* param) = 0;

private:
    friend class OrvParamStorage;
    /// Stores this listener is registered in; guarded by the store's listener mutex.
    std::set<OrvParamStorage*> stores_;
};
