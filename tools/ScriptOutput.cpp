#include "tools/ScriptOutput.h"

#include <algorithm>
#include <utility>

void ScriptOutput::SetNotify(std::function<void()> notify)
{
    std::lock_guard lock(mutex_);
    notify_ = std::move(notify);
}

void ScriptOutput::DropOldest()
{
    std::size_t cut = text_.size() - kMaxWaitingBytes / 2;
    // The kept text starts at a line start, else at a whole UTF-8 character.
    const std::size_t lineEnd = text_.find('\n', cut);
    if (lineEnd != std::string::npos && lineEnd + 1 < text_.size()) {
        cut = lineEnd + 1;
    } else {
        while (cut < text_.size() && (static_cast<unsigned char>(text_[cut]) & 0xC0) == 0x80)
            ++cut;
    }
    // Lines touched by the cut: a line cut in two counts as left out, once.
    const bool cutMidLine = cut > 0 && text_[cut - 1] != '\n';
    const auto lines = static_cast<std::uint64_t>(std::count(text_.begin(), text_.begin() + cut, '\n'))
                       + (cutMidLine ? 1 : 0) - (midLine_ ? 1 : 0);
    droppedLines_ += lines;
    midLine_ = cutMidLine;
    text_.erase(0, cut);
}

void ScriptOutput::Append(std::string_view text)
{
    std::function<void()> notify;
    {
        std::lock_guard lock(mutex_);
        text_.append(text);
        if (text_.size() > kMaxWaitingBytes)
            DropOldest();
        notify = notify_;
    }
    if (notify && !text.empty())
        notify();
}

std::string ScriptOutput::Take(bool wholeLinesOnly)
{
    std::lock_guard lock(mutex_);
    std::string taken;
    if (droppedLines_ > 0) {
        taken = "... " + std::to_string(droppedLines_) + (droppedLines_ == 1 ? " line" : " lines")
                + " of output left out: the script printed faster than the console shows ...\n";
        droppedLines_ = 0;
    }
    if (!wholeLinesOnly) {
        taken += text_;
        text_.clear();
        midLine_ = false;
        return taken;
    }
    const auto end = text_.rfind('\n');
    if (end == std::string::npos)
        return taken;
    taken.append(text_, 0, end + 1);
    text_.erase(0, end + 1);
    midLine_ = false;
    return taken;
}
