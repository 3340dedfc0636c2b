#include "editor/panels/ToolPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QSlider>
#include <QStyle>

#include "widgets/ColorButton.h"

namespace clipvane {

namespace {
constexpr int kMaxWidth = 10;
// The stamp list's cell: a thumbnail with its spacing.
constexpr int kStampCellWidth = 50;
constexpr int kStampCellHeight = 37;

QStringList WidthItems() {
    QStringList items;
    for (int w = 1; w <= kMaxWidth; ++w) items << QString::number(w);
    return items;
}
}  // namespace

ToolPanel::ToolPanel(EditorTool tool, QWidget* parent, const std::vector<std::string>& stampFolders)
    : QWidget(parent), tool_(tool), style_(DefaultStyle(tool)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(6);
    switch (tool) {
    case EditorTool::Text:
        boxStyle_ = AddList(QT_TR_NOOP("Box style:"), "boxStyleList", {tr("Solid"), tr("Transparent")},
                            &DrawingStyle::boxStyle);
        backColor_ = AddColor(QT_TR_NOOP("Back color:"), "backColorButton", &DrawingStyle::backColor);
        AddOpacityAndShadow();
        break;
    case EditorTool::Line:
        width_ = AddList(QT_TR_NOOP("Width:"), "widthList", WidthItems(), &DrawingStyle::width);
        lineStyle_ =
            AddList(QT_TR_NOOP("Line style:"), "lineStyleList", {tr("Solid"), tr("Dot")}, &DrawingStyle::lineStyle);
        color_ = AddColor(nullptr, "colorButton", &DrawingStyle::color);
        AddOpacityAndShadow();
        break;
    case EditorTool::Arrow:
        arrowStyle_ = AddList(QT_TR_NOOP("Style:"), "arrowStyleList", {tr("Fill Arrow"), tr("Empty Arrow")},
                              &DrawingStyle::arrowStyle);
        color_ = AddColor(QT_TR_NOOP("Color:"), "colorButton", &DrawingStyle::color);
        AddOpacityAndShadow();
        break;
    case EditorTool::Shape:
        width_ = AddList(QT_TR_NOOP("Width:"), "widthList", WidthItems(), &DrawingStyle::width);
        border_ = AddList(QT_TR_NOOP("Border:"), "borderList",
                          {tr("Rectangle"), tr("Ellipse"), tr("Rectangle(Fill)"), tr("Ellipse(Fill)")},
                          &DrawingStyle::borderStyle);
        borderColor_ = AddColor(nullptr, "borderColorButton", &DrawingStyle::borderColor);
        fillColor_ = AddColor(QT_TR_NOOP("Back:"), "fillColorButton", &DrawingStyle::fillColor);
        AddOpacityAndShadow();
        break;
    case EditorTool::Highlight:
        color_ = AddColor(QT_TR_NOOP("Color:"), "colorButton", &DrawingStyle::color);
        AddOpacityAndShadow();
        break;
    case EditorTool::Stamp:
        AddStampList(stampFolders);
        AddOpacityAndShadow();
        break;
    default: {
        auto* group = new QGroupBox(tr("no parameter"));
        group->setObjectName(QStringLiteral("noParameterGroup"));
        group->setMinimumSize(200, 40);
        row->addWidget(group);
        break;
    }
    }
    row->addStretch();
    ShowValues();
}

void ToolPanel::AddLabel(const char* text) {
    if (text) layout()->addWidget(new QLabel(tr(text), this));
}

QComboBox* ToolPanel::AddList(const char* label, const char* objectName, const QStringList& items,
                              int DrawingStyle::*field) {
    AddLabel(label);
    auto* list = new QComboBox(this);
    list->setObjectName(QString::fromLatin1(objectName));
    list->addItems(items);
    // The width lists show 1..10 at positions 0..9.
    const int offset = field == &DrawingStyle::width ? 1 : 0;
    list->setProperty("valueOffset", offset);
    connect(list, &QComboBox::currentIndexChanged, this, [this, field, offset](int index) {
        if (showing_ || index < 0) return;
        style_.*field = index + offset;
        Changed();
    });
    layout()->addWidget(list);
    return list;
}

ColorButton* ToolPanel::AddColor(const char* label, const char* objectName, ColorRef DrawingStyle::*field) {
    AddLabel(label);
    auto* button = new ColorButton(this);
    button->setObjectName(QString::fromLatin1(objectName));
    connect(button, &ColorButton::colorChanged, this, [this, field](ColorRef color) {
        if (showing_) return;
        style_.*field = color;
        Changed();
    });
    layout()->addWidget(button);
    return button;
}

void ToolPanel::AddOpacityAndShadow() {
    AddLabel(QT_TR_NOOP("Opacity:"));
    opacity_ = new QSlider(Qt::Horizontal, this);
    opacity_->setObjectName(QStringLiteral("opacitySlider"));
    opacity_->setRange(0, 100);
    opacity_->setPageStep(10);
    opacity_->setFixedWidth(120);
    connect(opacity_, &QSlider::valueChanged, this, [this](int value) {
        if (showing_) return;
        style_.transparency = value;
        Changed();
    });
    layout()->addWidget(opacity_);

    shadow_ = new QCheckBox(tr("Shadow"), this);
    shadow_->setObjectName(QStringLiteral("shadowCheck"));
    connect(shadow_, &QCheckBox::toggled, this, [this](bool on) {
        if (showing_) return;
        style_.shadow = on;
        Changed();
    });
    layout()->addWidget(shadow_);
}

void ToolPanel::AddStampList(const std::vector<std::string>& folders) {
    if (folders.empty()) {
        library_.LoadStamps();
    } else {
        library_.LoadStamps(folders);
    }
    stamps_ = new QListWidget(this);
    stamps_->setObjectName(QStringLiteral("stampList"));
    stamps_->setViewMode(QListView::IconMode);
    stamps_->setFlow(QListView::LeftToRight);
    stamps_->setWrapping(false);
    stamps_->setMovement(QListView::Static);
    stamps_->setSelectionMode(QAbstractItemView::SingleSelection);
    stamps_->setIconSize(QSize(StampLibrary::kThumbnailWidth, StampLibrary::kThumbnailHeight));
    stamps_->setGridSize(QSize(kStampCellWidth, kStampCellHeight));
    // Items have no text, so the style's text highlight would be a dot: frame
    // the whole chosen cell instead.
    stamps_->setStyleSheet(QStringLiteral("QListWidget::item:selected { border: 2px solid palette(highlight); }"));
    stamps_->setMinimumWidth(6 * kStampCellWidth);
    stamps_->setFixedHeight(kStampCellHeight + 2 * stamps_->frameWidth() +
                            stamps_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2);
    for (int i = 0; i < library_.Count(); ++i) {
        auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(library_.ThumbnailImage(i))), QString());
        item->setSizeHint(QSize(kStampCellWidth, kStampCellHeight));
        stamps_->addItem(item);
    }
    style_.stampIndex = library_.Count() > 0 ? 1 : 0;
    connect(stamps_, &QListWidget::itemSelectionChanged, this, [this] { StampSelectionChanged(); });
    layout()->addWidget(stamps_);
}

void ToolPanel::StampSelectionChanged() {
    if (showing_) return;
    const QList<QListWidgetItem*> selected = stamps_->selectedItems();
    if (selected.isEmpty()) {
        // A click beside the items keeps the chosen stamp (and its highlight).
        ShowValues();
        return;
    }
    const int index = stamps_->row(selected.front()) + 1;
    if (index == style_.stampIndex) return;
    style_.stampIndex = index;
    Changed();
}

void ToolPanel::SetStyle(const DrawingStyle& style) {
    style_ = style;
    ShowValues();
}

void ToolPanel::ShowValues() {
    showing_ = true;
    const auto showList = [](QComboBox* list, int value) {
        if (!list) return;
        const int index = value - list->property("valueOffset").toInt();
        list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
    };
    showList(width_, style_.width);
    showList(lineStyle_, style_.lineStyle);
    showList(boxStyle_, style_.boxStyle);
    showList(arrowStyle_, style_.arrowStyle);
    showList(border_, style_.borderStyle);
    if (color_) color_->SetColor(style_.color);
    if (backColor_) backColor_->SetColor(style_.backColor);
    if (borderColor_) borderColor_->SetColor(style_.borderColor);
    if (fillColor_) fillColor_->SetColor(style_.fillColor);
    if (opacity_) opacity_->setValue(style_.transparency);
    if (shadow_) shadow_->setChecked(style_.shadow);
    if (stamps_) {
        const int row = style_.stampIndex - 1;
        if (row >= 0 && row < stamps_->count()) {
            stamps_->setCurrentRow(row);
            stamps_->scrollToItem(stamps_->item(row));
        } else {
            stamps_->clearSelection();
        }
    }
    showing_ = false;
}

void ToolPanel::Changed() { emit styleChanged(style_); }

}  // namespace clipvane
