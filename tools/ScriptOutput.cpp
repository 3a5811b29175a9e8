#include "tools/ScriptOutput.h"

#include <utility>

void ScriptOutput::SetNotify(std::function<void()> notify)
{
    std::lock_guard lock(mutex_);
    notify_ = std::move(notify);
}

void ScriptOutput::Append(std::string_view text)
{
    std::function<void()> notify;
    {
        std::lock_guard lock(mutex_);
        text_.append(text);
        notify = notify_;
    }
    if (notify && !text.empty())
        notify();
}

std::string ScriptOutput::Take(bool wholeLinesOnly)
{
    std::lock_guard lock(mutex_);
    std::string taken;
    if (!wholeLinesOnly) {
        taken.swap(text_);
        return taken;
    }
    const auto end = text_.rfind('\n');
    if (end == std::string::npos)
        return taken;
    taken = text_.substr(0, end + 1);
    text_.erase(0, end + 1);
    return taken;
}
