#pragma once
#include <QDialog>

namespace clipvane {

class HyperlinkLabel;

// Help / About: product name and version, the home and support page links.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
    HyperlinkLabel* HomeLink() const { return home_; }
    HyperlinkLabel* SupportLink() const { return support_; }

private:
    HyperlinkLabel* home_;
    HyperlinkLabel* support_;
};

}  // namespace clipvane
