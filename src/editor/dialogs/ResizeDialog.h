#pragma once
// Image / Resize...: new width and height, optionally kept in the image's
// aspect ratio, and the resize quality ("Good" nearest neighbour, "Better"
// smooth).
#include <QDialog>

class QCheckBox;
class QRadioButton;
class QSpinBox;

namespace clipvane {

class ResizeDialog : public QDialog {
    Q_OBJECT
public:
    ResizeDialog(int imageWidth, int imageHeight, QWidget* parent = nullptr);

    int width = 0;
    int height = 0;
    int keepAspect = 1;
    int quality = 1;  // 0 Good, 1 Better
    int imageWidth = 0;
    int imageHeight = 0;

    QSpinBox* WidthEdit() const { return widthEdit_; }
    QSpinBox* HeightEdit() const { return heightEdit_; }
    QCheckBox* KeepAspectCheck() const { return keep_; }
    QRadioButton* GoodRadio() const { return good_; }
    QRadioButton* BetterRadio() const { return better_; }

    // The other side for a typed side, kept in the image's proportions and
    // rounded half away from zero; always from the size at opening.
    static int ProportionalSide(int typed, int typedImageSide, int otherImageSide);

    void accept() override;

private:
    void Read();
    void Write();
    void WidthChanged();
    void HeightChanged();

    QSpinBox* widthEdit_;
    QSpinBox* heightEdit_;
    QCheckBox* keep_;
    QRadioButton* good_;
    QRadioButton* better_;
    bool writing_ = false;
};

}  // namespace clipvane
