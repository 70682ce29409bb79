#pragma once

#include <QAbstractTableModel>
#include <QList>

namespace db {

class TADOQuery;

// A read-only table over a query for a grid: the query's visible columns in result order, headed
// by their field names, one row per result row; NULL shows as empty text, and a cell's whole
// text is its tool tip, for a column too narrow for it. It follows the query
// (open, close, changed values and column marks) and reports the query's current row.
class QueryGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit QueryGridModel(TADOQuery& query, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The query's current row, -1 when there is none.
    int currentRow() const;

signals:
    // After every move of the query and every refresh, so a view can follow the current row.
    void currentRowChanged(int row);

private:
    void refresh();

    TADOQuery& query_;
    // Query field index of each shown column.
    QList<int> shownFields_;
};

} // namespace db
