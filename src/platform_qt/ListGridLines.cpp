#include "ListGridLines.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace platform {

namespace {

class GridLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        const QStyle* style = option.widget != nullptr ? option.widget->style() : nullptr;
        if (style == nullptr)
            return;
        const auto colour = static_cast<QRgb>(
            style->styleHint(QStyle::SH_Table_GridLineColor, &option, option.widget));
        const QRect& cell = option.rect;
        painter->save();
        painter->setPen(QColor::fromRgba(colour));
        painter->drawLine(cell.topRight(), cell.bottomRight());
        painter->drawLine(cell.bottomLeft(), cell.bottomRight());
        painter->restore();
    }
};

} // namespace

void drawGridLines(QAbstractItemView& list) {
    list.setItemDelegate(new GridLineDelegate(&list));
}

} // namespace platform
