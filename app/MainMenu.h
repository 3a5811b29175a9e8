// The main window's menu bar (menu 145) and its command ids. Every SetupMenu builds a fresh
// copy from the table; the model then finds items by command id to check, grey, relabel or
// remove them, as the main window's operations do.
#pragma once

#include <QPointer>
#include <QString>

#include <functional>
#include <map>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;

namespace cmd {
inline constexpr int kRunApplication = 32836;
inline constexpr int kLoadFromFile = 32781;
inline constexpr int kLoadFromWorkspace = 32782;
inline constexpr int kLoadFromFactory = 32783;
inline constexpr int kLoadFromUser1 = 32784;   // ... 32787
inline constexpr int kSaveToFile = 32788;
inline constexpr int kWriteRegisters = 32789;  // no menu item
inline constexpr int kSaveToFactory = 32790;
inline constexpr int kSaveToUser1 = 32821;     // ... 32824
inline constexpr int kBootFromFactory = 32791; // ... 32795 (user spaces 1-4)
inline constexpr int kBpmDialog = 32774;
inline constexpr int kCommandTerminal = 32796;
inline constexpr int kDownloadTerminal = 32797;
inline constexpr int kSwitchPort = 32780;
inline constexpr int kBaud9600 = 32831;        // ... 32835 (115200)
inline constexpr int kExit = 32777;
inline constexpr int kViewFirst = 32802;       // ... 32810, one per panel slot
inline constexpr int kSelectAll = 32811;
inline constexpr int kAttachWindows = 32850;
inline constexpr int kOpenHelp = 32825;
inline constexpr int kDebug = 32826;
inline constexpr int kSaveDump = 32841;
inline constexpr int kAbout = 32827;
inline constexpr int kMinimize = 32849;
/// The help commands of the window framework (F1 sends kHelp).
inline constexpr int kHelpFirst = 57669;
inline constexpr int kHelp = 57670;
inline constexpr int kHelpLast = 57671;

inline constexpr int kUserSpaces = 4;
inline constexpr int kBaudItems = 5;
inline constexpr int kLoadFromIds[7] = {kLoadFromFile, kLoadFromWorkspace, kLoadFromFactory, 32784, 32785, 32786, 32787};
inline constexpr int kBootFromIds[5] = {32791, 32792, 32793, 32794, 32795};

/// True for the commands that talk to the camera (workspace and user spaces, boot space, baud
/// rate, dump, the flash tools, switching the port): refused while another user holds the channel.
constexpr bool TalksToCamera(int id)
{
    switch (id) {
    case kLoadFromFile: case kLoadFromWorkspace: case kSaveToFile: case kWriteRegisters: case kSaveToFactory:
    case kBpmDialog: case kDownloadTerminal: case kSwitchPort: case kSaveDump:
        return true;
    default:
        break;
    }
    return (id >= kLoadFromFactory && id < kLoadFromUser1 + kUserSpaces) ||
           (id >= kSaveToUser1 && id < kSaveToUser1 + kUserSpaces) || (id >= kBootFromIds[0] && id <= kBootFromIds[4]) ||
           (id >= kBaud9600 && id < kBaud9600 + kBaudItems);
}
}  // namespace cmd

class MainMenu {
public:
    /// Fills `bar` (cleared first) from the menu table; every item runs `dispatch` with its id.
    void Build(QMenuBar* bar, std::function<void(int)> dispatch);

    /// The item of a command; null when it is not (or no longer) in the menu.
    QAction* Item(int id) const;
    bool Has(int id) const { return Item(id) != nullptr; }
    /// The pop-up at `index` of the bar ("Menu" 0, "View" 1, "Help" 2); null past the end.
    QMenu* Popup(int index) const;

    void Check(int id, bool checked);
    bool IsChecked(int id) const;
    /// Greys the item out and disables it.
    void Grey(int id);
    bool IsEnabled(int id) const;
    void SetText(int id, const QString& text);
    /// The item's text; empty for an item that is not there.
    QString Text(int id) const;
    /// Takes the item out of its menu.
    void Remove(int id);
    /// Adds a checkable item to the View pop-up at its top (used by the rebuild).
    QAction* InsertViewItem(int id, const QString& text);

private:
    QAction* Add(QMenu* menu, int id, const char* text);
    QMenu* AddPopup(const QString& title);
    void Wire(QAction* action, int id);

    QMenuBar* bar_ = nullptr;
    std::vector<QPointer<QObject>> owned_;
    std::map<int, QAction*> items_;
    std::function<void(int)> dispatch_;
};
