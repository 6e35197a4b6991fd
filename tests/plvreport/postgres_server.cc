#include "postgres_server.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "support/temporary_directory.h"

namespace plv::testing {
namespace {

const std::string kBin = "/usr/lib/postgresql/15/bin/";

class PostgresServer {
  public:
    PostgresServer() {
        // As root the server's files belong to nobody, who runs it.
        const bool root = ::geteuid() == 0;
        as_ = root ? "runuser -u nobody -- " : "";
        if (root) Shell("chown nobody " + dir_.path());
        Shell(as_ + kBin + "initdb --no-sync -A trust -U plv -E UTF8 --locale=C -D " + Data() +
              " >" + dir_ / "initdb.log" + " 2>&1");
        Shell(as_ + kBin + "pg_ctl -w -s -D " + Data() + " -l " + dir_ / "server.log" +
              " -o \"-c listen_addresses='' -c fsync=off -k " + dir_.path() + "\" start");
    }
    ~PostgresServer() {
        std::system((as_ + kBin + "pg_ctl -w -s -m fast -D " + Data() + " stop").c_str());
    }

    std::string Create() {
        const std::string name = "report" + std::to_string(++databases_);
        PGconn *conn = PQconnectdb(Uri("postgres").c_str());
        PGresult *result = PQexec(conn, ("CREATE DATABASE " + name).c_str());
        const bool made = PQresultStatus(result) == PGRES_COMMAND_OK;
        const std::string why = PQerrorMessage(conn);
        PQclear(result);
        PQfinish(conn);
        if (!made) throw std::runtime_error("no test database: " + why);
        return Uri(name);
    }

  private:
    std::string Data() const { return dir_ / "data"; }
    std::string Uri(const std::string &database) const {
        return "postgresql:///" + database + "?host=" + dir_.path() + "&user=plv";
    }
    static void Shell(const std::string &command) {
        if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
    }

    TemporaryDirectory dir_;
    std::string as_;
    int databases_ = 0;
};

}  // namespace

bool PostgresInstalled() { return std::filesystem::exists(kBin + "initdb"); }

std::string FreshPostgresDatabase() {
    static PostgresServer server;
    return server.Create();
}

}  // namespace plv::testing
