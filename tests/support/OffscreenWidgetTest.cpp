#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

// Example failure: the test main does not select the offscreen platform, so window tests need a
// display and fail in CI.
TEST(OffscreenHarness, RunsOnTheOffscreenPlatform)
{
    EXPECT_EQ(QGuiApplication::platformName(), QStringLiteral("offscreen"));
}

// Example failure: widgets cannot be driven with simulated input offscreen (clicks and typing
// are lost), so no control test could act like an operator.
TEST(OffscreenHarness, WidgetsTakeClicksAndKeys)
{
    QWidget window;
    auto* edit = new QLineEdit(&window);
    auto* button = new QPushButton("OK", &window);
    button->move(0, 40);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QSignalSpy clicked(button, &QPushButton::clicked);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);

    edit->setFocus();
    QTest::keyClicks(edit, "0x1F");
    EXPECT_EQ(edit->text(), QStringLiteral("0x1F"));

    const QImage image = window.grab().toImage();
    EXPECT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), window.size() * window.devicePixelRatio());
}
