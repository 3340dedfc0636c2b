#include "app/AboutDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/AppIcon.h"
#include "app/ProductLinks.h"
#include "widgets/HyperlinkLabel.h"

namespace clipvane {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Clipvane!"));
    auto* icon = new QLabel;
    icon->setPixmap(ApplicationIcon().pixmap(48, 48));
    auto* name = new QLabel(QStringLiteral("Clipvane %1").arg(QString::fromLatin1(kProductVersion)));
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    auto* blurb = new QLabel(QStringLiteral("Screen capture and image editing for the Linux desktop."));
    home_ = new HyperlinkLabel(QString::fromLatin1(kHomePageUrl));
    home_->setObjectName(QStringLiteral("link1042"));
    support_ = new HyperlinkLabel(QString::fromLatin1(kSupportUrl));
    support_->setObjectName(QStringLiteral("link1043"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(name);
    text->addWidget(blurb);
    text->addWidget(home_);
    text->addWidget(support_);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(text);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

}  // namespace clipvane
