// Rendering probes: each painted control is drawn offscreen and a few pixels are checked
// against the system colours the design names.
#include "controls/CDrawButton.h"
#include "controls/CDualSlider.h"
#include "controls/CUpDownCtrl.h"
#include "controls/OVButton.h"
#include "controls/OVSlider.h"
#include "controls/SystemLook.h"

#include <QImage>
#include <QPixmap>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QImage Render(QWidget* w)
{
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Pixels are compared at 8 bits per channel, as they are stored.
QRgb Rgb(const QColor& colour)
{
    return colour.rgb();
}

template <class Predicate>
bool HasPixel(const QImage& image, QRect area, Predicate predicate)
{
    area = area.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (predicate(QColor(image.pixel(x, y))))
                return true;
    return false;
}

bool HasColour(const QImage& image, QRect area, QColor colour)
{
    return HasPixel(image, area, [&](QColor c) { return c.rgb() == colour.rgb(); });
}

// Antialiased text: some pixel is clearly blue, or clearly darker than the face.
bool HasBlueText(const QImage& image, QRect area)
{
    return HasPixel(image, area, [](QColor c) { return c.blue() > c.red() + 60; });
}
bool HasDarkText(const QImage& image, QRect area, QColor face)
{
    return HasPixel(image, area, [&](QColor c) { return c.lightness() < face.lightness() - 60; });
}

// Example failure: a latched slot button is drawn like a released one, the icon is not drawn
// at its margin, or the title is not blue.
TEST(Render, SlotButtonFillIconAndText)
{
    QWidget window;
    auto* button = new CDrawButton(&window, 1425);
    button->setGeometry(0, 0, 180, 44);
    button->setText("Acquisition");
    QPixmap red(32, 32);
    red.fill(Qt::red);
    button->m_hIcon = QIcon(red);
    button->m_strRight = "on";
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QPalette& pal = button->palette();

    const QPoint plain(button->width() - 30, 5);  // inside the edge, away from texts and icon
    QImage image = Render(button);
    EXPECT_EQ(image.pixel(plain), Rgb(wnd::GetSysColor(wnd::COLOR_BTNFACE, pal)));
    EXPECT_EQ(image.pixel(button->m_nMargin + 16, 22), Rgb(QColor(Qt::red)));
    EXPECT_TRUE(HasBlueText(image, QRect(button->TextLeft(), 4, 60, 36)));
    EXPECT_TRUE(HasBlueText(image, QRect(button->RightTextEnd() - 20, 4, 20, 36)));
    EXPECT_FALSE(HasBlueText(image, QRect(button->RightTextEnd() + 1, 4, 2, 36)));
    EXPECT_FALSE(HasBlueText(image, QRect(0, 4, button->TextLeft() - 1, 36)));

    button->m_bLatched = true;
    image = Render(button);
    EXPECT_EQ(image.pixel(plain), Rgb(wnd::GetSysColor(wnd::COLOR_BTNSHADOW, pal)));
    // Sunken edge: the outer top line is the shadow colour.
    EXPECT_EQ(image.pixel(button->width() / 2, 0), Rgb(wnd::GetSysColor(wnd::COLOR_3DSHADOW, pal)));
}

// Example failure: the workspace button is drawn with the face colour at rest.
TEST(Render, WorkspaceButtonIsDarkAtRest)
{
    CDrawButton button(nullptr, 1232);
    button.resize(120, 40);
    const QImage image = Render(&button);
    EXPECT_EQ(image.pixel(100, 5), Rgb(wnd::GetSysColor(wnd::COLOR_BTNSHADOW, button.palette())));
}

// Example failure: the slider draws no groove or thumb, or the labels are missing.
TEST(Render, SliderGrooveThumbAndLabels)
{
    QWidget dialog;
    OVSlider slider(&dialog, nullptr, QRect(0, 0, 200, 24), QSize(8, 14), 0.0, 255.0, true, true, nullptr, false, false);
    dialog.resize(220, 40);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    slider.SetPos(128.0);
    const QPalette& pal = slider.palette();
    const QImage image = Render(&slider);
    const ctl::SliderLayout& l = slider.Layout();
    // Groove top edge in the shadow colour, well away from the thumb.
    EXPECT_EQ(image.pixel(l.lineStart.x + 5, l.groove.top), Rgb(wnd::GetSysColor(wnd::COLOR_BTNSHADOW, pal)));
    // Thumb: highlight outline at its top-left, face inside.
    const QRect thumb = slider.ThumbRect();
    EXPECT_EQ(image.pixel(thumb.left(), thumb.top() + 3), Rgb(wnd::GetSysColor(wnd::COLOR_3DHILIGHT, pal)));
    EXPECT_EQ(image.pixel(thumb.left() + 2, thumb.top() + 3), Rgb(wnd::GetSysColor(wnd::COLOR_BTNFACE, pal)));
    // Label text in the button-text colour somewhere left of the travel.
    EXPECT_TRUE(HasDarkText(image, QRect(0, 0, l.lineStart.x - 5, 24), wnd::GetSysColor(wnd::COLOR_BTNFACE, pal)));
    EXPECT_TRUE(HasDarkText(image, QRect(l.lineEnd.x + 5, 0, 40, 24), wnd::GetSysColor(wnd::COLOR_BTNFACE, pal)));
}

// Example failure: the disabled up-down keeps drawing its arrows in the text colour.
TEST(Render, UpDownArrowsFollowTheEnabledState)
{
    CUpDownCtrl spin(nullptr, 1);
    spin.resize(16, 24);
    const QPalette& pal = spin.palette();
    const QRect upArrow(5, 3, 6, 5);
    QImage image = Render(&spin);
    EXPECT_TRUE(HasColour(image, upArrow, wnd::GetSysColor(wnd::COLOR_BTNTEXT, pal)));
    spin.setEnabled(false);
    image = Render(&spin);
    EXPECT_FALSE(HasColour(image, upArrow, wnd::GetSysColor(wnd::COLOR_BTNTEXT, pal)));
    EXPECT_TRUE(HasColour(image, upArrow, wnd::GetSysColor(wnd::COLOR_GRAYTEXT, pal)));
}

}  // namespace

namespace {

// Example failure: the drop-down button's triangle keeps the text colour when disabled, or is
// not drawn one pixel down and right while pressed.
TEST(Render, DropButtonTriangleFollowsStateAndPress)
{
    QWidget parent;
    OVButton button(&parent, nullptr, QRect(0, 0, 16, 20), 10001);
    const QPalette& pal = button.palette();
    const QColor text = wnd::GetSysColor(wnd::COLOR_BTNTEXT, pal);
    // The triangle's apex row: (w - 12 + 4, (h - 5) / 2 + 4) = (8, 11).
    QImage image = Render(&button);
    EXPECT_EQ(image.pixel(8, 10), Rgb(text));
    EXPECT_NE(image.pixel(9, 12), Rgb(text));
    button.state = OVButton::Pressed;
    image = Render(&button);
    EXPECT_EQ(image.pixel(9, 11), Rgb(text));
    button.state = OVButton::Disabled;
    button.setEnabled(false);
    image = Render(&button);
    EXPECT_FALSE(HasColour(image, QRect(4, 7, 9, 6), text));
    EXPECT_TRUE(HasColour(image, QRect(4, 7, 9, 6), wnd::GetSysColor(wnd::COLOR_GRAYTEXT, pal)));
}

}  // namespace

namespace {

// Example failure: the selected marker is not drawn green (on top), or the markers are missing.
TEST(Render, DualSliderMarkersShowTheSelection)
{
    QWidget panel;
    CDualSlider slider;
    ASSERT_TRUE(slider.Create(1380, &panel, QRect(0, 0, 300, 40)));
    slider.maxValue = 99;
    slider.unitsPerPixel = 100.0 / 280.0;
    slider.SetMarkerPos(1, 10);
    slider.SetMarkerPos(2, 80);
    const QRect m1(slider.marker1Rect.left + 3, slider.marker1Rect.top + 3, 8, 10);
    const QRect m2(slider.marker2Rect.left + 3, slider.marker2Rect.top + 3, 8, 10);
    QImage image = Render(&slider);
    EXPECT_TRUE(HasColour(image, m1, QColor(142, 142, 142)));
    EXPECT_TRUE(HasColour(image, m2, QColor(142, 142, 142)));
    EXPECT_FALSE(HasColour(image, m2, QColor(80, 130, 80)));
    slider.selectedMarker = 2;
    image = Render(&slider);
    EXPECT_TRUE(HasColour(image, m2, QColor(80, 130, 80)));
    EXPECT_TRUE(HasColour(image, m1, QColor(142, 142, 142)));
    // The groove's sunken edge: shadow colour on its outer top line.
    EXPECT_EQ(image.pixel(150, 0), Rgb(wnd::GetSysColor(wnd::COLOR_3DSHADOW, slider.palette())));
}

}  // namespace
