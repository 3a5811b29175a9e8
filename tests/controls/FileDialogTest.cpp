#include "controls/FileDialog.h"

#include <gtest/gtest.h>

namespace {

// Example failure: a classic filter string becomes a Qt filter that lists no files (the pattern
// lost, "*.a;*.b" kept with its semicolon), or a description gets its patterns twice.
TEST(FileDialogFilter, ClassicFilterStringsBecomeNameFilters)
{
    struct Case {
        const char* classic;
        const char* filters;
    } cases[] = {
        {"Registry Files(*.rgs)|*.rgs||", "Registry Files(*.rgs)"},
        {"Dump Registry Files(*.txt)|*.txt||", "Dump Registry Files(*.txt)"},
        {"Programs|*||", "Programs (*)"},
        {"Images|*.bmp;*.raw|All Files (*.*)|*.*||", "Images (*.bmp *.raw)|All Files (*.*)"},
        {"No pattern||", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(wnd::NameFiltersOf(QString::fromLatin1(c.classic)).join('|').toStdString(), c.filters) << c.classic;
}

// Example failure: the test hook is bypassed (a real dialog would block a headless run), or a
// cancelled dialog reports a path.
TEST(FileDialogFilter, HandlerAnswersInsteadOfADialog)
{
    wnd::FileDialogRequest seen;
    {
        wnd::ScopedFileDialogHandler handler([&](const wnd::FileDialogRequest& r) -> std::optional<QString> {
            seen = r;
            return r.save ? std::optional<QString>(QStringLiteral("/tmp/x.rgs")) : std::nullopt;
        });
        wnd::FileDialogRequest request;
        request.save = true;
        request.title = QStringLiteral("Save Workspace to");
        EXPECT_EQ(wnd::ShowFileDialog(request).value_or(QString()).toStdString(), "/tmp/x.rgs");
        request.save = false;
        EXPECT_FALSE(wnd::ShowFileDialog(request).has_value());
    }
    EXPECT_EQ(seen.title.toStdString(), "Save Workspace to");
    // The handler ended with its scope.
    EXPECT_FALSE(static_cast<bool>(wnd::SetFileDialogHandler({})));
}

}  // namespace
