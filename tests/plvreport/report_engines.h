// The engines a report database can live in, for tests that run on each:
// a fresh database per name, and its rows read back as text.
#pragma once

#include <map>
#include <string>

#include "support/temporary_directory.h"

namespace plv::testing {

enum class Engine { sqlite, postgres };

std::string EngineName(Engine engine);

// Databases by the test's own names, each made fresh on first use.
class EngineDatabases {
  public:
    EngineDatabases(Engine engine, const TemporaryDirectory &dir) : engine_(engine), dir_(dir) {}
    // Where `name` is, as plvreport's --db takes it.
    std::string Location(const std::string &name);
    // The rows the query answers (a change may answer them with RETURNING),
    // each as its fields ending in '|' ("NULL" for none), one a line. `sql`
    // is the same for both engines, but for hex(X), which is written
    // upper(encode(X, 'hex')) for PostgreSQL.
    std::string Rows(const std::string &name, std::string sql);
    Engine engine() const { return engine_; }

  private:
    Engine engine_;
    const TemporaryDirectory &dir_;
    std::map<std::string, std::string> locations_;
};

}  // namespace plv::testing
