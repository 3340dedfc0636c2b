#include "app/TrayIcon.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QSystemTrayIcon>

#include "app/AppIcon.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "base/TraceLog.h"

namespace clipvane {

TrayIcon::TrayIcon(MainWindow& frame) : frame_(frame), menu_(std::make_unique<QMenu>()) {
    for (unsigned id : TrayMenuLayout())
        id == kSeparator ? (void)menu_->addSeparator() : menu_->addAction(frame_.Action(id));
    // One action per command: while the tray menu is open its entries carry
    // the tray's wording.
    connect(menu_.get(), &QMenu::aboutToShow, this, [this] {
        frame_.UpdateCommandStates();
        SwapTexts(true);
    });
    connect(menu_.get(), &QMenu::aboutToHide, this, [this] { SwapTexts(false); });
}

TrayIcon::~TrayIcon() { Hide(); }

void TrayIcon::SwapTexts(bool trayTexts) {
    for (unsigned id : TrayMenuLayout()) {
        const CommandInfo* info = FindCommand(id);
        QAction* action = frame_.Action(id);
        if (!info || !info->trayText || !action) continue;
        action->setText(trayTexts ? QCoreApplication::translate(info->context, info->trayText) : info->Text());
    }
}

void TrayIcon::Show() {
    if (!icon_) {
        icon_ = new QSystemTrayIcon(ApplicationIcon(), this);
        icon_->setToolTip(QStringLiteral("Clipvane"));
        icon_->setContextMenu(menu_.get());
        connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            TraceLog("tray icon activated: reason %d\n", int(reason));
            // Only the press toggles: the second click of a double click
            // arrives as DoubleClick, and toggling again would hide the window
            // that the first click has just brought back.
            if (reason == QSystemTrayIcon::Trigger) frame_.ToggleMainWindow();
        });
    }
    icon_->show();
}

void TrayIcon::Hide() {
    if (icon_) {
        icon_->hide();
        delete icon_;
        icon_ = nullptr;
    }
}

bool TrayIcon::IsVisible() const { return icon_ && icon_->isVisible(); }

void TrayIcon::ShowMessage(const QString& text) {
    if (icon_) icon_->showMessage(QStringLiteral("Clipvane"), text);
}

}  // namespace clipvane
