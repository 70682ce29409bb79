#include "TADOQuery.h"

#include "AppError.h"

#include <algorithm>

namespace db {

namespace {

const QString closedText = QStringLiteral("Cannot perform this operation on a closed dataset");
const QString notEditingText = QStringLiteral("Dataset not in edit or insert mode");
const QString noBaseTableText =
    QStringLiteral("Insufficient base table information for updating or refreshing.");
const QString noKeyText =
    QStringLiteral("Insufficient key column information for updating or refreshing.");

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

TADOQuery::TADOQuery(TADOConnection& connection, QObject* parent)
    : QObject(parent), connection_(connection) {
    setObjectName(QStringLiteral("ADOQuery1"));
}

QString TADOQuery::CommandText() const {
    QString text;
    for (const QString& line : SQL)
        text += line + QStringLiteral("\r\n");
    return text;
}

void TADOQuery::fail(const QString& text) const {
    throw platform::AppError(QStringLiteral("%1: %2").arg(objectName(), text));
}

void TADOQuery::requireActive() const {
    if (!Active())
        fail(closedText);
}

void TADOQuery::Open() {
    if (Active())
        return;
    const ResultSet result = connection_.fetch(CommandText());
    QList<Column> columns;
    for (const ResultColumn& fetched : result.columns) {
        const auto occurrences = std::count_if(
            result.columns.cbegin(), result.columns.cend(),
            [&](const ResultColumn& other) { return sameName(other.name, fetched.name); });
        const bool qualify = occurrences > 1 && !fetched.table.isEmpty();
        columns << Column{qualify ? fetched.table + u'.' + fetched.name : fetched.name,
                          fetched.table, fetched.column};
    }
    columns_ = columns;
    rows_ = result.rows;
    current_ = rows_.isEmpty() ? -1 : 0;
    eof_ = rows_.isEmpty();
    state_ = DataSetState::Browse;
    ++generation_;
    emit afterOpen();
}

void TADOQuery::Close() {
    if (!Active())
        return;
    state_ = DataSetState::Inactive;
    columns_.clear();
    rows_.clear();
    editBuffer_.clear();
    modified_.clear();
    current_ = -1;
    eof_ = true;
    ++generation_;
    emit afterClose();
}

void TADOQuery::postPendingEdit() {
    if (state_ == DataSetState::Edit)
        Post();
}

void TADOQuery::First() {
    requireActive();
    postPendingEdit();
    eof_ = rows_.isEmpty();
    if (rows_.isEmpty())
        return;
    current_ = 0;
    emit afterScroll();
}

void TADOQuery::Next() {
    requireActive();
    postPendingEdit();
    if (current_ + 1 >= rows_.size()) {
        eof_ = true;
        return;
    }
    ++current_;
    eof_ = false;
    emit afterScroll();
}

void TADOQuery::MoveTo(int row) {
    requireActive();
    if (row < 0 || row >= rows_.size())
        fail(QStringLiteral("Row %1 is outside the result").arg(row));
    postPendingEdit();
    current_ = row;
    eof_ = false;
    emit afterScroll();
}

int TADOQuery::RecordCount() const {
    requireActive();
    return static_cast<int>(rows_.size());
}

TField TADOQuery::Fields(int index) {
    if (index < 0 || index >= columns_.size())
        fail(QStringLiteral("List index out of bounds (%1)").arg(index));
    return TField(*this, index, generation_, columns_[index].name);
}

TField TADOQuery::FieldByName(const QString& name) {
    for (int i = 0; i < columns_.size(); ++i) {
        if (sameName(columns_[i].name, name))
            return Fields(i);
    }
    fail(QStringLiteral("Field '%1' not found").arg(name));
}

int TADOQuery::indexOf(const TField& field) const {
    if (field.generation_ != generation_ || !Active())
        fail(QStringLiteral("Field '%1' not found").arg(field.name_));
    return field.index_;
}

QVariant TADOQuery::fieldValue(const TField& field) const {
    return valueAt(current_, indexOf(field));
}

QVariant TADOQuery::valueAt(int row, int column) const {
    if (row < 0 || row >= rows_.size() || column < 0 || column >= columns_.size())
        return {};
    if (state_ == DataSetState::Edit && row == current_)
        return editBuffer_[column];
    return rows_[row][column];
}

void TADOQuery::setFieldValue(const TField& field, const QVariant& value) {
    const int index = indexOf(field);
    if (state_ != DataSetState::Edit)
        fail(notEditingText);
    if (columns_[index].readOnly)
        fail(QStringLiteral("Field '%1' cannot be modified").arg(columns_[index].name));
    editBuffer_[index] = value;
    modified_[index] = true;
    emit dataChanged();
}

void TADOQuery::setFieldVisible(const TField& field, bool visible) {
    Column& target = columns_[indexOf(field)];
    if (target.visible == visible)
        return;
    target.visible = visible;
    emit dataChanged();
}

void TADOQuery::setFieldReadOnly(const TField& field, bool readOnly) {
    columns_[indexOf(field)].readOnly = readOnly;
}

void TADOQuery::Edit() {
    requireActive();
    if (state_ == DataSetState::Edit)
        return;
    if (current_ < 0)
        fail(QStringLiteral("Cannot perform this operation on an empty dataset"));
    editBuffer_ = rows_[current_];
    modified_ = QList<bool>(columns_.size(), false);
    state_ = DataSetState::Edit;
}

void TADOQuery::Cancel() {
    if (state_ != DataSetState::Edit)
        return;
    state_ = DataSetState::Browse;
    editBuffer_.clear();
    modified_.clear();
    emit dataChanged();
}

QList<RowUpdate> TADOQuery::pendingUpdates() {
    const QVariantList& read = rows_[current_];
    QList<RowUpdate> updates;
    for (int i = 0; i < columns_.size(); ++i) {
        if (!modified_[i])
            continue;
        const Column& changed = columns_[i];
        if (changed.table.isEmpty() || changed.column.isEmpty())
            fail(noBaseTableText);
        auto update = std::find_if(updates.begin(), updates.end(), [&](const RowUpdate& u) {
            return sameName(u.table, changed.table);
        });
        if (update == updates.end()) {
            updates << RowUpdate{changed.table, {}, {}};
            update = updates.end() - 1;
        }
        update->set << ColumnValue{changed.column, editBuffer_[i]};
        update->match << ColumnValue{changed.column, read[i]};
    }
    for (RowUpdate& update : updates)
        matchKey(update);
    return updates;
}

void TADOQuery::matchKey(RowUpdate& update) {
    const QStringList key = connection_.primaryKey(update.table);
    if (key.isEmpty())
        fail(noKeyText);
    for (const QString& keyColumn : key) {
        const auto found = std::find_if(columns_.cbegin(), columns_.cend(), [&](const Column& c) {
            return sameName(c.table, update.table) && sameName(c.column, keyColumn);
        });
        if (found == columns_.cend())
            fail(noKeyText);
        update.match << ColumnValue{keyColumn, rows_[current_][found - columns_.cbegin()]};
    }
}

QString TADOQuery::rowChangedText() {
    return QStringLiteral("Row cannot be located for updating. Some values may have been changed "
                          "since it was last read.");
}

void TADOQuery::Post(const QList<RowInsert>& alongside) {
    if (state_ != DataSetState::Edit)
        fail(notEditingText);
    UpdateOutcome outcome = UpdateOutcome::Updated;
    try {
        const QList<RowUpdate> updates = pendingUpdates();
        if (!updates.isEmpty())
            outcome = connection_.update(updates, alongside);
    } catch (...) {
        Cancel();
        throw;
    }
    if (outcome != UpdateOutcome::Updated) {
        Cancel();
        fail(outcome == UpdateOutcome::RowNotFound ? rowChangedText() : noKeyText);
    }
    rows_[current_] = editBuffer_;
    state_ = DataSetState::Browse;
    editBuffer_.clear();
    modified_.clear();
    emit dataChanged();
}

} // namespace db
