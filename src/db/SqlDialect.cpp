#include "SqlDialect.h"

namespace db {

std::unique_ptr<SqlDialect> dialectFor(const DatabaseLocation& location) {
    return location.isServer() ? postgresDialect() : sqliteDialect();
}

} // namespace db
