// quaro-nuvem: wires the storage, the request handler and the HTTP server.
#include "core/Log.h"
#include "nuvem/HttpServer.h"
#include "nuvem/NuvemOptions.h"
#include "nuvem/PgStorage.h"
#include "nuvem/RequestHandler.h"
#include "nuvem/SqliteStorage.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace quaro::nuvem;

int main(int argc, char** argv)
{
    quaro::setLogPrefix("[quaro-nuvem]");
    auto options = NuvemOptions::parse(std::vector<std::string>(argv + 1, argv + argc));
    if (!options) {
        std::fprintf(stderr, "quaro-nuvem: %s\n%s", options.error().c_str(), NuvemOptions::usage());
        return 2;
    }
    if (options->help) {
        std::fputs(NuvemOptions::usage(), stdout);
        return 0;
    }

    std::unique_ptr<AccountStorage> storage;
    if (options->usesPostgres()) {
        // The connection text may hold a password: it is never logged.
        auto opened = PgStorage::open(options->database, options->server.workers);
        if (!opened) {
            quaro::log(quaro::LogArea::server, "não abri o PostgreSQL: " + opened.error().description());
            return 1;
        }
        storage = std::move(opened).value();
    } else {
        auto opened = SqliteStorage::open(options->database);
        if (!opened) {
            quaro::log(quaro::LogArea::server,
                       "não abri o banco " + options->database + ": " + opened.error().description());
            return 1;
        }
        storage = std::move(opened).value();
    }
    RequestHandler handler(*storage, options->limits);
    options->server.stopOnSignals = true;
    HttpServer server(handler, options->server);
    auto port = server.start();
    if (!port) {
        quaro::log(quaro::LogArea::server, port.error());
        return 1;
    }
    quaro::log(quaro::LogArea::server, "escutando em " + options->server.address + ":" + std::to_string(*port));
    server.wait();
    quaro::log(quaro::LogArea::server, "parado");
    return 0;
}
