#include "QueryGridModel.h"

#include "TADOQuery.h"

namespace db {

QueryGridModel::QueryGridModel(TADOQuery& query, QObject* parent)
    : QAbstractTableModel(parent), query_(query) {
    connect(&query_, &TADOQuery::afterOpen, this, &QueryGridModel::refresh);
    connect(&query_, &TADOQuery::afterClose, this, &QueryGridModel::refresh);
    connect(&query_, &TADOQuery::dataChanged, this, &QueryGridModel::refresh);
    connect(&query_, &TADOQuery::afterScroll, this,
            [this] { emit currentRowChanged(currentRow()); });
    refresh();
}

void QueryGridModel::refresh() {
    beginResetModel();
    shownFields_.clear();
    for (int i = 0; i < query_.FieldCount(); ++i) {
        if (query_.Fields(i).Visible())
            shownFields_ << i;
    }
    endResetModel();
    emit currentRowChanged(currentRow());
}

int QueryGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !query_.Active())
        return 0;
    return query_.RecordCount();
}

int QueryGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shownFields_.size());
}

QVariant QueryGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= shownFields_.size() ||
        (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole))
        return {};
    const QVariant value = query_.valueAt(index.row(), shownFields_[index.column()]);
    return value.isNull() ? QString() : value.toString();
}

QVariant QueryGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= shownFields_.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    return query_.Fields(shownFields_[section]).FieldName();
}

int QueryGridModel::currentRow() const {
    return query_.CurrentRow();
}

} // namespace db
