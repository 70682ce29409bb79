#include "GridColumnFit.h"

#include <QEvent>
#include <QHeaderView>
#include <QList>
#include <QTableView>
#include <algorithm>

namespace {

class ColumnFit : public QObject {
public:
    ColumnFit(QTableView& grid, const QString& spareTo)
        : QObject(&grid), grid_(grid), spareTo_(spareTo) {
        grid.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        const QAbstractItemModel* model = grid.model();
        connect(model, &QAbstractItemModel::modelReset, this, &ColumnFit::fit);
        connect(model, &QAbstractItemModel::layoutChanged, this, &ColumnFit::fit);
        connect(model, &QAbstractItemModel::dataChanged, this, &ColumnFit::fit);
        grid.viewport()->installEventFilter(this);
        fit();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            fit();
        return false;
    }

private:
    void fit() {
        // The table view hides the hint that every item view gives.
        const QAbstractItemView& view = grid_;
        const QAbstractItemModel* model = grid_.model();
        QHeaderView& titles = *grid_.horizontalHeader();
        QList<int> widths;
        int total = 0;
        int spareColumn = -1;
        for (int column = 0; column < model->columnCount(); ++column) {
            widths << std::max(view.sizeHintForColumn(column), titles.sectionSizeHint(column));
            total += widths.back();
            if (model->headerData(column, Qt::Horizontal).toString() == spareTo_)
                spareColumn = column;
        }
        const int spare = grid_.viewport()->width() - total;
        if (spareColumn >= 0 && spare > 0)
            widths[spareColumn] += spare;
        for (int column = 0; column < widths.size(); ++column)
            titles.resizeSection(column, widths[column]);
    }

    QTableView& grid_;
    const QString spareTo_;
};

} // namespace

void fitColumnsToContents(QTableView& grid, const QString& spareTo) {
    new ColumnFit(grid, spareTo);
}
