#include "app/ExitHintDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace clipvane {

ExitHintDialog::ExitHintDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Save image"));
    auto* icon = new QLabel;
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    text_ = new QLabel;
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(text_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const struct {
        Result id;
        const char* text;
    } kButtons[] = {{kYes, "&Yes"}, {kNo, "&No"}, {kSaveNone, "Save N&one"}, {kCancel, "Cancel"}};
    for (const auto& b : kButtons) {
        auto* button = new QPushButton(QString::fromLatin1(b.text));
        button->setObjectName(QStringLiteral("button%1").arg(int(b.id)));
        if (b.id == kYes) button->setDefault(true);
        const int id = b.id;
        connect(button, &QPushButton::clicked, this, [this, id] { done(id); });
        buttons->addWidget(button);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    SetDocumentName(QString());
}

void ExitHintDialog::SetDocumentName(const QString& name) {
    text_->setText(QStringLiteral("Do you want to save ") + name + QStringLiteral("?"));
}

QString ExitHintDialog::Question() const { return text_->text(); }

}  // namespace clipvane
