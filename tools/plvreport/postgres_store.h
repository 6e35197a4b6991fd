// The report database on a PostgreSQL server, shared by many importers.
#pragma once

#include <memory>
#include <string>

#include "store.h"

namespace plvreport {

// True when `location` is a libpq URI rather than a file's path.
bool IsPostgresLocation(const std::string &location);

std::unique_ptr<Store> OpenPostgresStore(const std::string &conninfo, StoreUse use);

}  // namespace plvreport
