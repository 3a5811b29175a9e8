// The program's icons: each one the program carries draws a visible picture at the sizes the
// windows use, the disabled look differs from the normal one, an id without a drawing answers
// a null icon, and the drawings keep to one palette and line weight.
#include "controls/IconResource.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>

#include <set>

namespace {

/// Pixels that are drawn (not fully transparent), as a share of the image.
double Coverage(const QImage& image)
{
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            drawn += qAlpha(image.pixel(x, y)) > 0;
    return image.isNull() ? 0.0 : double(drawn) / (image.width() * image.height());
}

QImage Draw(const QIcon& icon, int side, QIcon::Mode mode = QIcon::Normal)
{
    return icon.pixmap(QSize(side, side), mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

QString SvgText(int id)
{
    QFile file(QStringLiteral(":/icons/%1.svg").arg(id));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

// Example failure: the icons are not compiled in (or the SVG support is missing), so every
// window shows blank buttons.
TEST(IconResourceTest, TheProgramCarriesTheIconsItsWindowsName)
{
    const std::vector<int> ids = wnd::IconResourceIds();
    const std::set<int> carried(ids.begin(), ids.end());
    for (int id : {128, 130, 132, 154, 157, 156, 192, 237, 242, 232, 167, 169, 170, 147, 149, 164, 165, 204, 241})
        EXPECT_TRUE(carried.count(id)) << id;
}

// Example failure: an SVG that fails to parse, or draws outside its box, gives an empty or
// nearly empty picture on its button.
TEST(IconResourceTest, EveryIconDrawsAPictureAtEachSizeInUse)
{
    for (int id : wnd::IconResourceIds()) {
        SCOPED_TRACE(id);
        const QIcon icon = wnd::LoadIconResource(id);
        ASSERT_FALSE(icon.isNull());
        for (int side : {16, 17, 24, 32, 48}) {
            SCOPED_TRACE(side);
            const QImage image = Draw(icon, side);
            ASSERT_EQ(image.size(), QSize(side, side));
            EXPECT_GT(Coverage(image), 0.15);
        }
        const QImage disabled = Draw(icon, 16, QIcon::Disabled);
        EXPECT_GT(Coverage(disabled), 0.15);
        EXPECT_NE(disabled, Draw(icon, 16)) << "the disabled look is the normal one";
    }
}

// Example failure: a missing icon is drawn as garbage or crashes, or goes unnoticed.
TEST(IconResourceTest, AnIdWithoutADrawingIsANullIconAndIsNoted)
{
    EXPECT_TRUE(wnd::LoadIconResource(99999).isNull());
    const std::vector<int> missing = wnd::MissingIconRequests();
    EXPECT_NE(std::find(missing.begin(), missing.end(), 99999), missing.end());
    const std::vector<int> requested = wnd::RequestedIconIds();
    EXPECT_NE(std::find(requested.begin(), requested.end(), 99999), requested.end());
}

// Example failure: an icon drawn in another palette or line weight stands out of the family.
TEST(IconResourceTest, TheDrawingsKeepOnePaletteAndLineWeight)
{
    const std::set<QString> palette = {"#263445", "#d6e4f5", "#ffffff", "#3a78c2", "#2f9e55",
                                       "#e8a020", "#d33b32", "#8c96a0", "#c9cfd5", "#e3e6e9"};
    const QRegularExpression colour(QStringLiteral("#[0-9a-fA-F]{3,6}\\b"));
    const QRegularExpression width(QStringLiteral("stroke-width=\"([0-9.]+)\""));
    for (int id : wnd::IconResourceIds()) {
        SCOPED_TRACE(id);
        const QString svg = SvgText(id);
        ASSERT_FALSE(svg.isEmpty());
        EXPECT_TRUE(svg.contains(QStringLiteral("viewBox=\"0 0 32 32\"")));
        for (const QRegularExpressionMatch& m : colour.globalMatch(svg))
            EXPECT_TRUE(palette.count(m.captured(0).toLower())) << m.captured(0).toStdString();
        for (const QRegularExpressionMatch& m : width.globalMatch(svg)) {
            const double w = m.captured(1).toDouble();
            EXPECT_GE(w, 1.5);
            EXPECT_LE(w, 3.0);
        }
        for (const char* banned : {"<text", "<image", "<filter", "Gradient"})
            EXPECT_FALSE(svg.contains(QLatin1String(banned))) << banned;
    }
}

// Not a check: the sheet of every icon at 16, 24 and 32 px, then its 16-px and 32-px pictures
// enlarged three times (to see every pixel), for a reviewer (build/shots/icons.png).
TEST(IconResourceTest, SavesTheSheetOfIcons)
{
    const std::vector<int> ids = wnd::IconResourceIds();
    const int cell = 330;
    const int row = 100;
    const int rows = (int(ids.size()) + 1) / 2;
    QImage sheet(cell * 2, row * rows + 8, QImage::Format_ARGB32);
    sheet.fill(QColor(0xef, 0xef, 0xef));
    QPainter painter(&sheet);
    for (int i = 0; i < int(ids.size()); ++i) {
        const QIcon icon = wnd::LoadIconResource(ids[i]);
        int x = (i / rows) * cell + 4;
        const int y = 4 + (i % rows) * row;
        painter.drawText(QRect(x, y, 30, 96), Qt::AlignVCenter, QString::number(ids[i]));
        x += 30;
        for (int side : {16, 24, 32}) {
            painter.drawPixmap(x, y + (96 - side) / 2, icon.pixmap(side, side));
            x += side + 4;
        }
        for (int side : {16, 32}) {
            painter.drawImage(x, y + (96 - 3 * side) / 2, icon.pixmap(side, side).toImage().scaled(3 * side, 3 * side));
            x += 3 * side + 4;
        }
    }
    painter.end();
    QDir().mkpath(QStringLiteral(CORVEL_SHOT_DIR));
    EXPECT_TRUE(sheet.save(QStringLiteral(CORVEL_SHOT_DIR "/icons.png")));
}
