#pragma once

#include <QList>
#include <QString>

namespace db {
class TADOConnection;
}

namespace dbtools {

// Drops the foreign keys of the prescription tables on a server until restore() adds them back.
// Adding a key checks every row in one pass, several times faster than the check of each row as
// it arrives. For tables made in the caller's transaction only: it needs their owner, and a
// rollback brings the keys back. Failures raise platform::AppError.
class ForeignKeyPause {
public:
    explicit ForeignKeyPause(db::TADOConnection& server);

    void restore();

private:
    struct Key {
        QString table;
        QString name;
        QString definition;
    };

    db::TADOConnection& server;
    QList<Key> keys;
};

} // namespace dbtools
