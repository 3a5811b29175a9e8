#include "camera/ChannelOwner.h"

const char* ChannelUserText(ChannelUser user)
{
    switch (user) {
    case ChannelUser::Script:
        return "the running script";
    case ChannelUser::Upload:
        return "a flash upload";
    case ChannelUser::None:
        break;
    }
    return "nobody";
}

bool ChannelOwner::Acquire(ChannelUser user)
{
    Listener listener;
    {
        std::lock_guard lock(mutex_);
        if (user == ChannelUser::None || holder_ == user)
            return holder_ == user;
        if (holder_ != ChannelUser::None)
            return false;
        holder_ = user;
        listener = listener_;
    }
    if (listener)
        listener(user);
    return true;
}

void ChannelOwner::Release(ChannelUser user)
{
    Listener listener;
    {
        std::lock_guard lock(mutex_);
        if (user == ChannelUser::None || holder_ != user)
            return;
        holder_ = ChannelUser::None;
        listener = listener_;
    }
    if (listener)
        listener(ChannelUser::None);
}

ChannelUser ChannelOwner::Holder() const
{
    std::lock_guard lock(mutex_);
    return holder_;
}

bool ChannelOwner::HeldByOther(ChannelUser user) const
{
    const ChannelUser holder = Holder();
    return holder != ChannelUser::None && holder != user;
}

std::string ChannelOwner::BusyText() const
{
    const ChannelUser holder = Holder();
    if (holder == ChannelUser::None)
        return {};
    return std::string("The camera channel is in use by ") + ChannelUserText(holder) + ".";
}

void ChannelOwner::SetListener(Listener listener)
{
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}
