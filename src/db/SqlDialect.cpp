#include "SqlDialect.h"

namespace db {

std::unique_ptr<SqlDialect> dialectFor(const DatabaseLocation& location) {
    return dialectFor(location.isServer() ? Engine::Postgres : Engine::Sqlite);
}

std::unique_ptr<SqlDialect> dialectFor(Engine engine) {
    return engine == Engine::Postgres ? postgresDialect() : sqliteDialect();
}

} // namespace db
