// Who holds the camera channel beyond a single exchange: a script run (its frames and answers
// are its own, however far apart) or a flash upload. While one holds it no other user reaches
// the camera: the polls skip their work, panel edits, terminal commands and the menu commands
// that talk to the camera are refused, and the link's register exchanges answer
// link_result::kChannelBusy while a script holds it. One per link; no Qt here.
#pragma once

#include <functional>
#include <mutex>
#include <string>

enum class ChannelUser {
    None,    ///< free: every user takes turns, one exchange at a time
    Script,  ///< a script run (the scripting console), threads it started included
    Upload,  ///< the download terminal or the defect editor reading or programming the flash
};

class ChannelOwner {
public:
    using Listener = std::function<void(ChannelUser holder)>;

    /// Takes the channel for `user`. True when `user` holds it now (also when it already did);
    /// false, with nothing changed, while another user holds it.
    bool Acquire(ChannelUser user);
    /// Gives the channel back; nothing when `user` does not hold it.
    void Release(ChannelUser user);

    ChannelUser Holder() const;
    bool IsFree() const { return Holder() == ChannelUser::None; }
    /// True while a user other than `user` holds the channel (None: any holder).
    bool HeldByOther(ChannelUser user) const;

    /// Why a user is turned away now ("The camera channel is in use by the running script."),
    /// or "" while the channel is free.
    std::string BusyText() const;

    /// Called after every change of holder, on the thread that made it (may be a worker).
    void SetListener(Listener listener);

private:
    mutable std::mutex mutex_;
    ChannelUser holder_ = ChannelUser::None;
    Listener listener_;
};

/// The text that names a holder in messages ("the running script", "a flash upload").
const char* ChannelUserText(ChannelUser user);
