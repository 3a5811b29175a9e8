// Whether a window shows its texts whole: each visible label, check box, radio button, push
// button and list header section has room for its text at its own font, and no two visible
// controls of one window overlap. For window tests that check a layout at the default font.
#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPushButton>
#include <QRadioButton>
#include <QSizeGrip>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionHeader>
#include <QStringList>
#include <QTreeWidget>
#include <QWidget>

#include <string>
#include <vector>

namespace corvel::test {

struct CutText {
    std::string text;
    int room;    ///< pixels the control leaves for the text
    int needed;  ///< the text's width at the control's font
};

inline QString Shown(QString text)
{
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

/// The room a control leaves for its text: the contents rectangle its style lays out.
inline int TextRoom(const QWidget* w)
{
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return label->contentsRect().width() - 2 * label->margin() - qMax(0, label->indent());
    const auto* button = qobject_cast<const QAbstractButton*>(w);
    QStyleOptionButton option;
    option.initFrom(w);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    QStyle::SubElement element = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(w))
        element = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton*>(w))
        element = QStyle::SE_RadioButtonContents;
    return w->style()->subElementRect(element, &option, w).width();
}

/// The texts of `window` that do not fit their controls.
inline std::vector<CutText> CutTexts(const QWidget* window)
{
    std::vector<CutText> cut;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window))
            continue;
        QString text;
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            if (label->wordWrap())
                continue;
            text = label->text();
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
            text = button->text();
        } else if (const auto* header = qobject_cast<const QHeaderView*>(w)) {
            const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
            for (int i = 0; i < header->count(); ++i) {
                if (header->isSectionHidden(i))
                    continue;
                const QString title = header->model()->headerData(i, header->orientation()).toString();
                const int needed = header->fontMetrics().horizontalAdvance(title) + 2 * margin;
                if (header->sectionSize(i) < needed)
                    cut.push_back({title.toStdString(), header->sectionSize(i), needed});
            }
            continue;
        } else {
            continue;
        }
        text = Shown(text);
        if (text.isEmpty())
            continue;
        const int needed = w->fontMetrics().horizontalAdvance(text);
        const int room = TextRoom(w);
        if (room < needed || w->height() < w->fontMetrics().height())
            cut.push_back({text.toStdString(), room, needed});
    }
    return cut;
}

/// The cells of a list (its top-level items) whose texts do not fit their columns.
inline std::vector<CutText> CutCells(const QTreeWidget* list)
{
    // An item's text is drawn inside the focus frame's margin on either side.
    const int margin = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
    std::vector<CutText> cut;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = list->topLevelItem(row);
        for (int column = 0; column < list->columnCount(); ++column) {
            const QString text = item->text(column);
            const int needed = QFontMetrics(item->font(column)).horizontalAdvance(text);
            const int room = list->columnWidth(column) - margin;
            if (!text.isEmpty() && room < needed)
                cut.push_back({text.toStdString(), room, needed});
        }
    }
    return cut;
}

/// Records the texts a widget draws, as its painter hands them on: what the operator reads,
/// after any eliding.
class TextRecorder : public QPaintDevice {
public:
    explicit TextRecorder(QSize size) : size_(size) {}
    ~TextRecorder() override = default;

    QPaintEngine* paintEngine() const override { return &engine_; }
    const QStringList& Texts() const { return engine_.texts; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: return size_.width();
        case PdmHeight: return size_.height();
        case PdmWidthMM: return size_.width() * 254 / 960;
        case PdmHeightMM: return size_.height() * 254 / 960;
        case PdmNumColors: return 0x7fffffff;
        case PdmDepth: return 32;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    struct Engine : QPaintEngine {
        Engine() : QPaintEngine(QPaintEngine::AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
        void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPolygon(const QPoint*, int, PolygonDrawMode) override {}
        void drawRects(const QRectF*, int) override {}
        void drawRects(const QRect*, int) override {}
        void drawLines(const QLineF*, int) override {}
        void drawLines(const QLine*, int) override {}
        void drawEllipse(const QRectF&) override {}
        void drawPoints(const QPointF*, int) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override { texts.push_back(item.text()); }
        Type type() const override { return User; }
        QStringList texts;
    };
    QSize size_;
    mutable Engine engine_;
};

/// The texts `widget` draws (its children aside), in the order it draws them.
inline QStringList DrawnTexts(QWidget* widget)
{
    TextRecorder recorder(widget->size());
    widget->render(&recorder, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    return recorder.Texts();
}

/// Saves a picture of `widget` as <name>.png in the build folder's shots/, for a reviewer.
inline void SaveShot(QWidget* widget, const std::string& name)
{
    QDir().mkpath(QStringLiteral(CORVEL_SHOT_DIR));
    widget->grab().save(QStringLiteral(CORVEL_SHOT_DIR) + QLatin1Char('/') + QString::fromStdString(name) + ".png");
}

/// Pairs of visible direct children of `window` (the size grip aside) whose rectangles
/// overlap, as "a / b".
inline std::vector<std::string> OverlappingControls(const QWidget* window)
{
    std::vector<const QWidget*> shown;
    for (const QWidget* w : window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (w->isVisibleTo(window) && !w->isWindow() && !qobject_cast<const QSizeGrip*>(w))
            shown.push_back(w);
    auto name = [](const QWidget* w) {
        if (const auto* label = qobject_cast<const QLabel*>(w))
            return label->text().toStdString();
        if (const auto* button = qobject_cast<const QAbstractButton*>(w))
            return button->text().toStdString();
        return std::string(w->metaObject()->className());
    };
    std::vector<std::string> pairs;
    for (std::size_t i = 0; i < shown.size(); ++i)
        for (std::size_t j = i + 1; j < shown.size(); ++j)
            if (shown[i]->geometry().intersects(shown[j]->geometry()))
                pairs.push_back(name(shown[i]) + " / " + name(shown[j]));
    return pairs;
}

}  // namespace corvel::test
