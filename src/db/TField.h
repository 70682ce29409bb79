#pragma once

#include <QString>
#include <QVariant>
#include <QtGlobal>

namespace db {

class TADOQuery;

// A handle on one column of a query's open result, reading and writing the current row. It is
// valid until the query closes; used after that it raises "<query>: Field '<name>' not found".
// Errors raise platform::AppError.
class TField {
public:
    // The name the column is addressed by: its plain name, or "table.column" when the plain
    // name occurs more than once in the result.
    QString FieldName() const { return name_; }

    // The current row's value (the edit buffer's while the query is in edit state).
    QVariant Value() const;
    bool IsNull() const;
    // NULL raises "Could not convert variant of type (Null) into type (String)".
    QString AsString() const;
    // Yes/no; see variantAsBoolean for what counts and what raises.
    bool AsBoolean() const;

    // Sets the current row's value in the edit buffer; the query must be in edit state and the
    // field writable, else an error is raised. Post stores it.
    void SetValue(const QVariant& value);

    // Whether grids show the column; all columns start visible.
    bool Visible() const;
    void SetVisible(bool visible);
    // Fields start read-only; clear the mark on those that are to be written.
    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);

private:
    friend class TADOQuery;
    TField(TADOQuery& query, int index, quint64 generation, const QString& name)
        : query_(&query), index_(index), generation_(generation), name_(name) {}

    TADOQuery* query_;
    int index_;
    quint64 generation_;
    QString name_;
};

} // namespace db
