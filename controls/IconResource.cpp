#include "controls/IconResource.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

#include <map>
#include <memory>
#include <set>

// The icons are compiled into this static library; nothing else refers to them, so the
// linker would leave them out unless they are registered here.
static void InitIconResources()
{
    Q_INIT_RESOURCE(corvel_icons);
}

namespace wnd {
namespace {

constexpr char kIconFolder[] = ":/icons";

void RegisterIcons()
{
    static const bool registered = (InitIconResources(), true);
    (void)registered;
}

/// Draws one SVG: rendered once per size and mode, then reused (the status button asks for its
/// icon at every poll).
class SvgIconEngine final : public QIconEngine {
public:
    explicit SvgIconEngine(const QByteArray& svg) : renderer_(std::make_shared<QSvgRenderer>(svg)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap pixmap = scaledPixmap(rect.size() * scale, mode, state, scale);
        pixmap.setDevicePixelRatio(scale);
        painter->drawPixmap(rect, pixmap);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        // The drawings are square.
        const int side = qMin(size.width(), size.height());
        return QSize(side, side);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal) override
    {
        const QSize side = actualSize(size, mode, QIcon::Off);
        if (side.isEmpty() || !renderer_->isValid())
            return QPixmap();
        const Key key{side.width(), mode};
        if (auto found = cache_.find(key); found != cache_.end())
            return found->second;
        QPixmap pixmap(side);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer_->render(&painter, QRectF(QPointF(0, 0), QSizeF(side)));
        }
        if (mode == QIcon::Disabled && qApp) {
            QStyleOption option;
            pixmap = QApplication::style()->generatedIconPixmap(QIcon::Disabled, pixmap, &option);
        }
        cache_.emplace(key, pixmap);
        return pixmap;
    }

    QIconEngine* clone() const override { return new SvgIconEngine(*this); }
    QString key() const override { return QStringLiteral("CorvelSvgIcon"); }
    bool isNull() override { return !renderer_->isValid(); }

private:
    using Key = std::pair<int, int>;  // side, mode
    std::shared_ptr<QSvgRenderer> renderer_;  // one drawing, shared by the copies of the icon
    std::map<Key, QPixmap> cache_;
};

QString IconPath(int id)
{
    return QStringLiteral("%1/%2.svg").arg(QLatin1String(kIconFolder)).arg(id);
}

struct IconBook {
    QHash<int, QIcon> loaded;
    std::set<int> requested;
    std::set<int> missing;
};

IconBook& Book()
{
    static IconBook book;
    return book;
}

}  // namespace

QIcon LoadIconResource(int id)
{
    RegisterIcons();
    IconBook& book = Book();
    book.requested.insert(id);
    if (auto found = book.loaded.constFind(id); found != book.loaded.constEnd())
        return *found;
    QFile file(IconPath(id));
    QIcon icon;
    if (file.open(QIODevice::ReadOnly)) {
        auto* engine = new SvgIconEngine(file.readAll());
        if (!engine->isNull())
            icon = QIcon(engine);
        else
            delete engine;
    }
    if (icon.isNull())
        book.missing.insert(id);
    else
        book.loaded.insert(id, icon);
    return icon;
}

std::vector<int> IconResourceIds()
{
    RegisterIcons();
    std::set<int> ids;
    const QStringList names = QDir(QLatin1String(kIconFolder)).entryList({QStringLiteral("*.svg")}, QDir::Files);
    for (const QString& name : names) {
        bool number = false;
        const int id = name.chopped(4).toInt(&number);
        if (number)
            ids.insert(id);
    }
    return {ids.begin(), ids.end()};
}

std::vector<int> RequestedIconIds()
{
    return {Book().requested.begin(), Book().requested.end()};
}

std::vector<int> MissingIconRequests()
{
    return {Book().missing.begin(), Book().missing.end()};
}

}  // namespace wnd
