#pragma once
#include <QDialog>

namespace cv {

class HyperLinkStatic;

// Help / About: product name and version, the home and support page links.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    HyperLinkStatic* HomeLink() const { return home_; }
    HyperLinkStatic* SupportLink() const { return support_; }

private:
    HyperLinkStatic* home_;
    HyperLinkStatic* support_;
};

}  // namespace cv
