// The report database in one SQLite file.
#pragma once

#include <memory>
#include <string>

#include "store.h"

namespace plvreport {

std::unique_ptr<Store> OpenSqliteStore(const std::string &path, StoreUse use);

}  // namespace plvreport
