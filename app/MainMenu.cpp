#include "MainMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>

void MainMenu::Build(QMenuBar* bar, std::function<void(int)> dispatch)
{
    bar_ = bar;
    dispatch_ = std::move(dispatch);
    items_.clear();
    bar->clear();
    // The previous copy may be running the command that rebuilds the menu: it goes later.
    for (QObject* old : owned_)
        if (old)
            old->deleteLater();
    owned_.clear();

    QMenu* main = AddPopup(QStringLiteral("Menu"));
    Add(main, cmd::kRunApplication, "Run Application");
    main->addSeparator();
    QMenu* load = main->addMenu(QStringLiteral("Load From..."));
    Add(load, cmd::kLoadFromFile, "File");
    Add(load, cmd::kLoadFromWorkspace, "WorkSpace");
    Add(load, cmd::kLoadFromFactory, "Factory Space");
    QMenu* save = main->addMenu(QStringLiteral("Save To..."));
    Add(save, cmd::kSaveToFile, "File");
    Add(save, cmd::kSaveToFactory, "Factory Space");
    QMenu* boot = main->addMenu(QStringLiteral("Boot From..."));
    Add(boot, cmd::kBootFromIds[0], "Factory Settings");
    for (int n = 1; n <= cmd::kUserSpaces; ++n) {
        const QByteArray user = QStringLiteral("User Space #%1").arg(n).toLatin1();
        Add(load, cmd::kLoadFromIds[n + 2], user.constData());
        Add(save, cmd::kSaveToUser1 + n - 1, user.constData());
        Add(boot, cmd::kBootFromIds[n], (user + " Settings").constData());
    }
    main->addSeparator();
    Add(main, cmd::kBpmDialog, "BPM Dialog");
    Add(main, cmd::kCommandTerminal, "Command Terminal");
    Add(main, cmd::kDownloadTerminal, "Download Terminal");
    QMenu* connection = main->addMenu(QStringLiteral("Connection"));
    Add(connection, cmd::kSwitchPort, "Switch Port");
    QMenu* baud = connection->addMenu(QStringLiteral("Set Baud Rate"));
    const char* rates[cmd::kBaudItems] = {"9600", "19200", "38400", "57600", "115200"};
    for (int i = 0; i < cmd::kBaudItems; ++i)
        Add(baud, cmd::kBaud9600 + i, rates[i]);
    main->addSeparator();
    Add(main, cmd::kExit, "Exit");

    QMenu* view = AddPopup(QStringLiteral("View"));
    const char* panels[9] = {"Gain && Offset",   "Output Control", "Acquisition Control",
                             "AEC/AGC Control",  "Image Parameters", "Color",
                             "Temperature",      "Lens Control",   "Run Python"};
    for (int i = 0; i < 9; ++i)
        Add(view, cmd::kViewFirst + i, panels[i]);
    view->addSeparator();
    Add(view, cmd::kSelectAll, "Select All");
    Add(view, cmd::kAttachWindows, "Attach Windows");

    QMenu* help = AddPopup(QStringLiteral("Help"));
    Add(help, cmd::kOpenHelp, "Open Help");
    Add(help, cmd::kDebug, "Debug");
    Add(help, cmd::kSaveDump, "Save Dump Camera Regs");
    Add(help, cmd::kAbout, "About");

    QAction* minimize = Add(nullptr, cmd::kMinimize, "_");
    minimize->setStatusTip(QStringLiteral("Minimize"));
    minimize->setToolTip(QStringLiteral("Minimize"));
    bar->addAction(minimize);
    owned_.push_back(minimize);
}

QMenu* MainMenu::AddPopup(const QString& title)
{
    QMenu* menu = bar_->addMenu(title);
    owned_.push_back(menu);
    return menu;
}

void MainMenu::Wire(QAction* action, int id)
{
    action->setData(id);
    QObject::connect(action, &QAction::triggered, action, [this, action, id] {
        // Check marks are the program's to set: undo the toggle a checkable item makes by itself.
        if (action->isCheckable()) {
            const QSignalBlocker block(action);
            action->setChecked(!action->isChecked());
        }
        if (dispatch_)
            dispatch_(id);
    });
    items_[id] = action;
}

QAction* MainMenu::Add(QMenu* menu, int id, const char* text)
{
    // "&&" stands for one "&" in menus as in the resource.
    auto* action = new QAction(QString::fromLatin1(text), menu ? static_cast<QObject*>(menu) : bar_);
    if (menu)
        menu->addAction(action);
    Wire(action, id);
    return action;
}

QAction* MainMenu::Item(int id) const
{
    const auto it = items_.find(id);
    return it == items_.end() ? nullptr : it->second;
}

QMenu* MainMenu::Popup(int index) const
{
    if (!bar_)
        return nullptr;
    int n = 0;
    for (QAction* action : bar_->actions())
        if (QMenu* menu = action->menu(); menu && n++ == index)
            return menu;
    return nullptr;
}

void MainMenu::Check(int id, bool checked)
{
    if (QAction* action = Item(id)) {
        const QSignalBlocker block(action);
        action->setCheckable(true);
        action->setChecked(checked);
    }
}

bool MainMenu::IsChecked(int id) const
{
    const QAction* action = Item(id);
    return action && action->isChecked();
}

void MainMenu::Grey(int id)
{
    if (QAction* action = Item(id))
        action->setEnabled(false);
}

bool MainMenu::IsEnabled(int id) const
{
    const QAction* action = Item(id);
    return action && action->isEnabled();
}

void MainMenu::SetText(int id, const QString& text)
{
    if (QAction* action = Item(id))
        action->setText(text);
}

QString MainMenu::Text(int id) const
{
    const QAction* action = Item(id);
    return action ? action->text() : QString();
}

void MainMenu::Remove(int id)
{
    const auto it = items_.find(id);
    if (it == items_.end())
        return;
    QAction* action = it->second;
    items_.erase(it);
    if (QWidget* menu = qobject_cast<QWidget*>(action->parent()))
        menu->removeAction(action);
    action->deleteLater();
}

QAction* MainMenu::InsertViewItem(int id, const QString& text)
{
    QMenu* view = Popup(1);
    if (!view)
        return nullptr;
    Remove(id);
    auto* action = new QAction(text, view);
    const QList<QAction*> items = view->actions();
    view->insertAction(items.isEmpty() ? nullptr : items.first(), action);
    Wire(action, id);
    return action;
}
