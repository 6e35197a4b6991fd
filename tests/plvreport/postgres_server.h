// A PostgreSQL server of the test program's own: Debian's postgresql-15 in
// a temporary directory, on a Unix socket there and no TCP port, run by an
// unprivileged user (nobody when the tests run as root, which the server
// refuses). Started by the first test that needs it, stopped at exit.
#pragma once

#include <string>

namespace plv::testing {

// False when postgresql-15 is not installed.
bool PostgresInstalled();

// A new empty database on the shared server, as a libpq URI.
std::string FreshPostgresDatabase();

}  // namespace plv::testing
