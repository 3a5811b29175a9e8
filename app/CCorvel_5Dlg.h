// The main window of the configurator (dialog 225, "Corvel"). For now it holds only the camera
// label of the status row; the panel slots, menu and polling arrive with the window itself.
#pragma once

#include <QWidget>

class QLabel;

class CCorvel_5Dlg : public QWidget {
    Q_OBJECT
public:
    enum { IDD = 225, IDC_CAMERA_LABEL = 1059, IDC_STATUS_FRAME = 1067 };
    static constexpr char kNotDetectedText[] = "Not Detected";

    explicit CCorvel_5Dlg(QWidget* parent = nullptr);

signals:
    /// The window was closed: the program ends.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* cameraLabel_;
};
