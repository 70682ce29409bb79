#pragma once

#include "TADOConnection.h"
#include "TField.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariant>

namespace db {

// The prescription query: a statement held as lines, run on a connection, with its whole result
// fetched at open (a static client-side cursor). One row is current; a row is changed by Edit,
// TField::SetValue and Post, which writes the changed columns to their base table row with
// optimistic locking. Errors raise platform::AppError; the query's own errors carry its object
// name in front ("ADOQuery1: Field 'X' not found"), those of the engine its text alone.
// UI thread only.
class TADOQuery : public QObject {
    Q_OBJECT

public:
    enum class DataSetState { Inactive, Browse, Edit };

    explicit TADOQuery(TADOConnection& connection, QObject* parent = nullptr);

    // The statement's lines; replace them only while the query is closed.
    QStringList SQL;
    // The text sent to the database: every line followed by CR LF.
    QString CommandText() const;

    // Runs the statement and positions on the first row; a no-op when already open. On an
    // error the query stays closed.
    void Open();
    // Drops the result; an unposted edit is discarded.
    void Close();
    bool Active() const { return state_ != DataSetState::Inactive; }
    DataSetState State() const { return state_; }

    // Moving posts a pending edit first; a failed post stops the move.
    void First();
    // On the last row this sets Eof and stays there.
    void Next();
    // Makes `row` (0-based, within the result) current.
    void MoveTo(int row);
    // True when the result is empty or Next went past the last row; also when closed.
    bool Eof() const { return eof_; }
    int RecordCount() const;
    // The 0-based current row, -1 when closed or empty.
    int CurrentRow() const { return current_; }

    int FieldCount() const { return static_cast<int>(columns_.size()); }
    TField Fields(int index);
    // By the field's name as FieldName gives it, in any case; a missing name raises
    // "<query>: Field '<name>' not found".
    TField FieldByName(const QString& name);

    // Puts the current row into edit state; needs a current row.
    void Edit();
    // Stores the changed fields of the edited row in one committed transaction. The row's base
    // table row is found by its primary key and the values read for the changed columns; when
    // another user has changed or removed it nothing is written, the edit is cancelled, the
    // row keeps the values read, and "<query>: Row cannot be located for updating. Some values
    // may have been changed since it was last read." is raised. Any failed post cancels the edit.
    // The rows `alongside` are added in the same transaction, so they are there exactly when the
    // change is; when no field was changed, nothing is written.
    void Post(const QList<RowInsert>& alongside = {});
    // The text after "<query>: " of a post whose row another user changed or removed.
    static QString rowChangedText();
    // Discards the edit buffer.
    void Cancel();

    // A cell for display, never raising: NULL outside the result.
    QVariant valueAt(int row, int column) const;

signals:
    void afterOpen();
    void afterClose();
    // After every First, MoveTo and every Next that left the row: the current row may differ.
    void afterScroll();
    // A value of the current row, a stored row or a column's visibility changed.
    void dataChanged();

private:
    friend class TField;

    struct Column {
        QString name;
        QString table;
        QString column;
        bool visible = true;
        bool readOnly = true;
    };

    [[noreturn]] void fail(const QString& text) const;
    void requireActive() const;
    void postPendingEdit();
    int indexOf(const TField& field) const;
    const Column& column(const TField& field) const { return columns_[indexOf(field)]; }
    QVariant fieldValue(const TField& field) const;
    void setFieldValue(const TField& field, const QVariant& value);
    void setFieldVisible(const TField& field, bool visible);
    void setFieldReadOnly(const TField& field, bool readOnly);
    QList<RowUpdate> pendingUpdates();
    void matchKey(RowUpdate& update);

    TADOConnection& connection_;
    DataSetState state_ = DataSetState::Inactive;
    QList<Column> columns_;
    QList<QVariantList> rows_;
    int current_ = -1;
    bool eof_ = true;
    QVariantList editBuffer_;
    QList<bool> modified_;
    // Bumped at every open and close, so field handles of an earlier result are refused.
    quint64 generation_ = 0;
};

} // namespace db
