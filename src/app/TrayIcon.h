#pragma once
// The notification-area icon of tray mode: tool tip "Clipvane", a left click
// shows or hides the main window, the right button opens the tray menu.
#include <QObject>
#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace clipvane {

class MainWindow;

class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(MainWindow& frame);
    ~TrayIcon() override;

    void Show();
    void Hide();
    bool IsVisible() const;
    void ShowMessage(const QString& text);
    QMenu* Menu() const { return menu_.get(); }
    QSystemTrayIcon* Icon() const { return icon_; }

private:
    void SwapTexts(bool trayTexts);

    MainWindow& frame_;
    QSystemTrayIcon* icon_ = nullptr;
    std::unique_ptr<QMenu> menu_;
};

}  // namespace clipvane
