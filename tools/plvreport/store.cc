#include "store.h"

#include "sqlite_store.h"

namespace plvreport {

std::unique_ptr<Store> OpenStore(const std::string &location) { return OpenSqliteStore(location); }

}  // namespace plvreport
