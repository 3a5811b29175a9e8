// A picture of the program's windows in a PNG file: how a machine without a screen (or a
// script) shows what the program looks like. CORVEL_SCREENSHOT=<file> makes the program save the
// picture once its window is up, or as soon as a box waits for an answer on the way there,
// and then end.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QWidget;

inline constexpr char kScreenshotVariable[] = "CORVEL_SCREENSHOT";

/// Renders every visible top-level window where it stands on the screen into one PNG file,
/// `first` at the bottom and the modal window on top. False when no window is shown or the
/// file cannot be written.
bool SaveScreenScreenshot(const QString& path, QWidget* first = nullptr);

/// A run that only takes a picture. Made before the main window starts, it looks at every turn
/// of the event loops, nested ones too: as soon as a modal box waits for an answer, or once the
/// main window is up, it saves the picture, reports it on stderr and ends the run: that box and
/// every later one is dismissed as Escape would, and the main window is closed.
class ScreenshotRun : public QObject {
public:
    explicit ScreenshotRun(QString path, int periodMs = 100);

    /// The main window is shown: the picture is taken on the loop's next turn.
    void WindowUp(QWidget& window);

    /// The picture was taken (the run is ending).
    bool Taken() const { return taken_; }
    /// The picture was written.
    bool Saved() const { return saved_; }

private:
    void Tick();

    QString path_;
    QTimer timer_;
    QPointer<QWidget> window_;
    bool taken_ = false;
    bool saved_ = false;
};
