#pragma once

#include "core/Result.h"
#include "nuvem/HttpServer.h"
#include "nuvem/RequestHandler.h"

#include <string>
#include <vector>

namespace quaro::nuvem {

// quaro-nuvem's command line.
struct NuvemOptions {
    HttpServer::Options server;
    RequestHandler::Limits limits;
    std::string database = "quaro-nuvem.sqlite";
    bool help = false;

    // Whether `database` names a PostgreSQL server (a postgres:// or
    // postgresql:// URL, or a libpq string with "=") rather than a file.
    bool usesPostgres() const;

    // Reads the arguments after the program name. Fails with a sentence
    // naming the bad option.
    static Result<NuvemOptions, std::string> parse(const std::vector<std::string>& arguments);
    static const char* usage();
};

} // namespace quaro::nuvem
