// A picture-only run (CORVEL_SCREENSHOT): the picture is taken as soon as a box waits for an
// answer or once the window is up, and the run then ends by itself.
#include "app/Screenshot.h"

#include "controls/MessageBox.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <set>

using corvel::test::TempDir;

namespace {

/// Rejects whatever box is still waiting after 10 s, so that a run that never ends it fails
/// instead of hanging.
class HungBoxGuard {
public:
    HungBoxGuard()
    {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        timer_.start(10000);
    }

private:
    QTimer timer_;
};

int Colours(const QImage& picture)
{
    std::set<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 2)
        for (int x = 0; x < picture.width(); x += 2)
            colours.insert(picture.pixel(x, y));
    return static_cast<int>(colours.size());
}

}  // namespace

// Example failure: a box on the way to the main window waits forever for an answer nobody can
// give, or the picture leaves the box out.
TEST(ScreenshotRun, BoxOnTheWayIsPicturedAndAnsweredAsEscape)
{
    TempDir dir;
    const QString path = QString::fromStdString((dir / "shot.png").string());
    HungBoxGuard guard;
    ScreenshotRun run(path, 20);
    EXPECT_EQ(wnd::ShowMessageBox(QStringLiteral("Cannot open|parse XML file \"x\""), QString(), wnd::MB_OK), wnd::IDOK);
    EXPECT_TRUE(run.Taken());
    ASSERT_TRUE(run.Saved());
    const QImage picture(path);
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(picture.width(), 100);
    EXPECT_GT(Colours(picture), 2) << "the box's text and button are in the picture";

    // The run is ending: a later question gets its Escape answer at once.
    EXPECT_EQ(wnd::ShowMessageBox(QStringLiteral("Save?"), QString(), wnd::MB_YESNOCANCEL), wnd::IDCANCEL);
}

// Example failure: the window is pictured but stays open, so the run never ends.
TEST(ScreenshotRun, WindowIsPicturedThenClosed)
{
    TempDir dir;
    const QString path = QString::fromStdString((dir / "shot.png").string());
    QWidget window;
    window.setStyleSheet(QStringLiteral("background: #3050a0"));
    window.resize(320, 200);
    window.show();
    ScreenshotRun run(path, 20);
    run.WindowUp(window);
    QElapsedTimer waited;
    waited.start();
    while (window.isVisible() && waited.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_FALSE(window.isVisible());
    ASSERT_TRUE(run.Saved());
    const QImage picture(path);
    EXPECT_EQ(picture.size(), QSize(320, 200));
    EXPECT_EQ(QColor(picture.pixel(160, 100)), QColor(0x30, 0x50, 0xa0));
}
