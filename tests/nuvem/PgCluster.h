#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>
#include <utility>

namespace quaro::nuvem::test {

// A private PostgreSQL 15 server for this test program, started on first use
// in a temporary folder (a Unix socket there, no TCP port) and stopped at
// exit. Each call of freshDatabase() creates an empty database. Absent when
// the server cannot run here (no PostgreSQL, or not root to switch to the
// postgres user).
class PgCluster {
public:
    static PgCluster* instance()
    {
        static std::optional<PgCluster> cluster = start();
        return cluster ? &*cluster : nullptr;
    }

    std::string freshDatabase()
    {
        const std::string name = "t" + std::to_string(++m_databases);
        psql("CREATE DATABASE " + name);
        return conninfo(name);
    }
    std::string conninfo(const std::string& database) const
    {
        return "host=" + m_dir + " port=54329 user=quaro dbname=" + database;
    }

    // An outage: the server goes (its clients are cut off) and comes back.
    void stop() const { pgCtl(m_dir, "-m fast -w stop"); }
    bool restart() const { return launch(m_dir); }

    PgCluster(PgCluster&& other) noexcept : m_dir(std::exchange(other.m_dir, {})), m_databases(other.m_databases) {}
    ~PgCluster()
    {
        if (m_dir.empty())
            return;
        pgCtl(m_dir, "-m immediate stop");
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

private:
    static std::string bin(const std::string& name) { return "/usr/lib/postgresql/15/bin/" + name; }
    static int shell(const std::string& command) { return std::system(command.c_str()); }

    static std::optional<PgCluster> start()
    {
        if (geteuid() != 0 || !std::filesystem::exists(bin("initdb")))
            return std::nullopt;
        std::string pattern = (std::filesystem::temp_directory_path() / "quaro-pg-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            return std::nullopt;
        PgCluster cluster;
        cluster.m_dir = pattern;
        const std::string& d = cluster.m_dir;
        if (shell("chown postgres " + d) != 0 ||
            shell("runuser -u postgres -- " + bin("initdb") + " -D " + d + "/data -A trust -U quaro >/dev/null 2>&1") != 0 ||
            !launch(d))
            return std::nullopt;
        return cluster;
    }
    static bool launch(const std::string& d)
    {
        return pgCtl(d, "-o \"-k " + d + " -p 54329 -c listen_addresses='' -c fsync=off\" -l " + d + "/log -w start") == 0;
    }
    static int pgCtl(const std::string& d, const std::string& arguments)
    {
        return shell("runuser -u postgres -- " + bin("pg_ctl") + " -D " + d + "/data " + arguments + " >/dev/null 2>&1");
    }
    PgCluster() = default;

    void psql(const std::string& sql) const
    {
        shell("psql -q -h " + m_dir + " -p 54329 -U quaro -d postgres -c '" + sql + "' >/dev/null");
    }

    std::string m_dir;
    int m_databases = 0;
};

} // namespace quaro::nuvem::test
