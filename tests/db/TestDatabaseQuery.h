#pragma once

#include "TADOQuery.h"
#include "TestDatabase.h"

// A fresh test database and a query on it through a connection of its own. The connection opens
// with the query's first statement, so rows the test adds before that are there.
struct TestDatabaseQuery {
    TestDatabase database;
    db::TADOConnection connection{database.location()};
    db::TADOQuery query{connection};
};

// The same, holding the sample order.
struct SampleOrderQuery : TestDatabaseQuery {
    SampleOrderQuery() { database.addSampleOrder(); }
};
