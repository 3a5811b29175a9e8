#include "Screenshot.h"

#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdio>

bool SaveWindowScreenshot(QWidget& window, const QString& path)
{
    const QPixmap picture = window.grab();
    return !picture.isNull() && picture.save(path, "PNG");
}

void ScheduleWindowScreenshot(QWidget& window, const QString& path, bool* saved)
{
    QTimer::singleShot(0, &window, [&window, path, saved] {
        const bool ok = SaveWindowScreenshot(window, path);
        if (saved)
            *saved = ok;
        std::fprintf(stderr, ok ? "corvel: window saved to %s\n" : "corvel: cannot write %s\n",
                     path.toLocal8Bit().constData());
        window.close();
    });
}
