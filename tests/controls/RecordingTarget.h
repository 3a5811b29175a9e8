// A window that takes commands and messages and records them in order, standing in for a
// panel or the main window in control tests.
#pragma once

#include "controls/Command.h"
#include "controls/WindowIds.h"

#include <QWidget>

#include <functional>
#include <vector>

namespace corvel::test {

struct RecordedMessage {
    unsigned message;
    wnd::WPARAM wParam;
    wnd::LPARAM lParam;
    unsigned Id() const { return wnd::LoWord(wParam); }
    unsigned Code() const { return wnd::HiWord(wParam); }
};

class RecordingTarget : public QWidget, public wnd::ICommandTarget {
public:
    explicit RecordingTarget(QWidget* parent = nullptr) : QWidget(parent) {}

    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam) override
    {
        log.push_back({wnd::WM_COMMAND, wParam, lParam});
        if (onCommand)
            onCommand(wParam, lParam);
        return true;
    }
    bool OnWindowMessage(unsigned message, wnd::WPARAM wParam, wnd::LPARAM lParam) override
    {
        log.push_back({message, wParam, lParam});
        return true;
    }

    /// The recorded entries of one message.
    std::vector<RecordedMessage> Of(unsigned message) const
    {
        std::vector<RecordedMessage> out;
        for (const auto& m : log)
            if (m.message == message)
                out.push_back(m);
        return out;
    }
    /// The scroll codes (low word) of one scroll message, in order.
    std::vector<unsigned> ScrollCodes(unsigned message) const
    {
        std::vector<unsigned> out;
        for (const auto& m : Of(message))
            out.push_back(wnd::LoWord(m.wParam));
        return out;
    }
    /// The notification codes (high word) of the commands, in order.
    std::vector<unsigned> CommandCodes() const
    {
        std::vector<unsigned> out;
        for (const auto& m : Of(wnd::WM_COMMAND))
            out.push_back(m.Code());
        return out;
    }

    std::vector<RecordedMessage> log;
    std::function<void(wnd::WPARAM, wnd::LPARAM)> onCommand;
};

}  // namespace corvel::test
