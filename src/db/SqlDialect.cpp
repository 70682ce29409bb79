#include "SqlDialect.h"

namespace db {

std::unique_ptr<SqlDialect> dialectFor(const DatabaseLocation& location) {
    return dialectFor(location.isServer() ? Engine::Postgres : Engine::Sqlite);
}

std::unique_ptr<SqlDialect> dialectFor(Engine engine) {
    return engine == Engine::Postgres ? postgresDialect() : sqliteDialect();
}

QString toEngineStatement(const QString& statement, Engine engine) {
    return dialectFor(engine)->engineStatement(statement);
}

} // namespace db
