#include "store.h"

#include "sqlite_store.h"

namespace plvreport {

std::unique_ptr<Store> OpenStore(const std::string &location, StoreUse use) {
    return OpenSqliteStore(location, use);
}

}  // namespace plvreport
