#include "store.h"

#include "postgres_store.h"
#include "sqlite_store.h"

namespace plvreport {

EventKind EventKindOf(std::string_view event) {
    if (event == "Initiated") return EventKind::initiated;
    if (event == "Terminated") return EventKind::terminated;
    for (const std::string_view failure : {"Initialization Failure", "Registry Update Failed",
                                           "NOS API Failure", "MIF Generation Failed"})
        if (event == failure) return EventKind::failure;
    return EventKind::other;
}

std::unique_ptr<Store> OpenStore(const std::string &location, StoreUse use) {
    if (IsPostgresLocation(location)) return OpenPostgresStore(location, use);
    return OpenSqliteStore(location, use);
}

}  // namespace plvreport
