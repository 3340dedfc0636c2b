#include "widgets/FontPreviewCombo.h"

#include <QAbstractItemView>
#include <QFontDatabase>
#include <QHash>
#include <QListView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

namespace clipvane {

namespace {

// Draws each entry as its combo's style asks, making the family's font the
// first time the entry is painted.
class PreviewDelegate : public QStyledItemDelegate {
public:
    explicit PreviewDelegate(FontPreviewCombo* combo) : QStyledItemDelegate(combo), combo_(combo) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        const int height = std::max(combo_->PreviewHeight() + 4, option.fontMetrics.height() + 2);
        return QSize(option.fontMetrics.averageCharWidth() * 24, height);
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QString family = index.data(Qt::DisplayRole).toString();
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        p->save();
        p->fillRect(option.rect, pal.color(selected ? QPalette::Highlight : QPalette::Base));
        const QColor ink = pal.color(selected ? QPalette::HighlightedText : QPalette::Text);
        p->setPen(ink);
        QRect r = option.rect.adjusted(4, 0, -2, 0);
        const QFont& own = FontFor(family, option.font);
        const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
        switch (combo_->PreviewStyle()) {
        case FontPreviewCombo::kNameInFont:
            p->setFont(own);
            p->drawText(r, flags, family);
            break;
        case FontPreviewCombo::kNameOnly:
            p->setFont(option.font);
            p->drawText(r, flags, family);
            break;
        case FontPreviewCombo::kNameThenSample: {
            p->setFont(option.font);
            QRect used;
            p->drawText(r, flags, family, &used);
            p->setFont(own);
            p->drawText(r.adjusted(used.width() + 20, 0, 0, 0), flags, combo_->SampleText());
            break;
        }
        case FontPreviewCombo::kSampleThenName: {
            p->setFont(own);
            QRect used;
            p->drawText(r, flags, combo_->SampleText(), &used);
            p->setFont(option.font);
            p->drawText(r.adjusted(used.width() + 20, 0, 0, 0), flags, family);
            break;
        }
        case FontPreviewCombo::kSampleOnly:
            p->setFont(own);
            p->drawText(r, flags, combo_->SampleText());
            break;
        }
        if (option.state & QStyle::State_HasFocus) {
            p->setPen(QPen(ink, 1, Qt::DotLine));
            p->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
        p->restore();
    }

private:
    const QFont& FontFor(const QString& family, const QFont& listFont) const {
        auto it = cache_.find(family);
        if (it == cache_.end()) {
            // A family without Latin letters (a script or symbol font) could
            // not spell its own name: it is shown in the list's font.
            QFont font = listFont;
            if (QFontDatabase::writingSystems(family).contains(QFontDatabase::Latin)) {
                font = QFont(family);
                // Only the family's own glyphs are wanted: no fallback search.
                font.setStyleStrategy(QFont::NoFontMerging);
            }
            font.setPixelSize(combo_->PreviewHeight());
            it = cache_.insert(family, font);
        }
        return *it;
    }

    FontPreviewCombo* combo_;
    mutable QHash<QString, QFont> cache_;
};

}  // namespace

FontPreviewCombo::FontPreviewCombo(QWidget* parent) : QComboBox(parent) {
    // Every entry has the same height: the list measures one, not hundreds.
    auto* list = new QListView(this);
    list->setUniformItemSizes(true);
    setView(list);
    setItemDelegate(new PreviewDelegate(this));
    // Sizing to the longest name would measure every entry up front.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(22);
    setMaxVisibleItems(16);
}

void FontPreviewCombo::SetStyle(Style style, bool refill) {
    if (style == style_) return;
    style_ = style;
    if (refill) Refill();
    view()->viewport()->update();
}

void FontPreviewCombo::Refill() {
    QStringList families = QFontDatabase::families();
    families.removeDuplicates();
    std::sort(families.begin(), families.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    clear();
    addItems(families);
    setCurrentIndex(count() > 0 ? 0 : -1);
}

QString FontPreviewCombo::SelectedFaceName() const { return currentIndex() < 0 ? QString() : currentText(); }

bool FontPreviewCombo::SelectFaceName(const QString& name) {
    for (int i = 0; i < count(); ++i)
        if (itemText(i).startsWith(name, Qt::CaseInsensitive)) {
            setCurrentIndex(i);
            return true;
        }
    setCurrentIndex(count() > 0 ? 0 : -1);
    return false;
}

}  // namespace clipvane
