// Measures quaro-mcp as an MCP client meets it:
//   cold start   spawn to the first initialize reply, median of 30 runs;
//   tool calls   round trips of a ping and of three tool calls (default
//                inbox_list, inbox_list todos/100, a search) with 5000
//                recados in the inbox, and each call's median minus the
//                ping's: the server's own work;
//   memory       the server's peak resident set (VmHWM) during those calls.
// Usage: quaro_mcp_bench [path/to/quaro-mcp]
#include "core/QuaroStore.h"
#include "core/Uuid.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "quaro_mcp_bench: %s\n", what.c_str());
    std::exit(1);
}

// One quaro-mcp child with pipes on its stdin and stdout.
class Server {
public:
    Server(const std::string& program, const std::vector<std::string>& environment)
    {
        int in[2];
        int out[2];
        if (pipe(in) != 0 || pipe(out) != 0)
            fail("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<char*> argv{const_cast<char*>(program.c_str()), nullptr};
        std::vector<char*> envp;
        for (const std::string& entry : environment)
            envp.push_back(const_cast<char*>(entry.c_str()));
        envp.push_back(nullptr);
        if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
            fail("cannot start " + program);
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        m_in = in[1];
        m_out = out[0];
    }
    ~Server() { finish(); }

    // Closes the server's input, waits for it to end and returns the CPU
    // time (user + system) it used over its whole life, in milliseconds.
    double finish()
    {
        if (m_pid < 0)
            return m_cpuMs;
        close(m_in);
        close(m_out);
        int status = 0;
        rusage usage{};
        wait4(m_pid, &status, 0, &usage);
        m_pid = -1;
        m_cpuMs = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                  static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
        return m_cpuMs;
    }

    pid_t pid() const { return m_pid; }

    // Sends one request line and waits for its reply line.
    std::string request(const std::string& line)
    {
        std::string framed = line + "\n";
        for (std::size_t at = 0; at < framed.size();) {
            const ssize_t n = write(m_in, framed.data() + at, framed.size() - at);
            if (n <= 0)
                fail("write to the server");
            at += static_cast<std::size_t>(n);
        }
        for (;;) {
            const auto end = m_pending.find('\n');
            if (end != std::string::npos) {
                std::string reply = m_pending.substr(0, end);
                m_pending.erase(0, end + 1);
                return reply;
            }
            char buffer[65536];
            const ssize_t n = read(m_out, buffer, sizeof buffer);
            if (n <= 0)
                fail("the server closed its output");
            m_pending.append(buffer, static_cast<std::size_t>(n));
        }
    }

    // Peak resident set in KiB, from /proc.
    long peakRssKiB() const
    {
        std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("VmHWM:", 0) == 0)
                return std::strtol(line.c_str() + 6, nullptr, 10);
        }
        return -1;
    }

private:
    pid_t m_pid = -1;
    double m_cpuMs = 0;
    int m_in = -1;
    int m_out = -1;
    std::string m_pending;
};

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void seed(const std::filesystem::path& database, int count)
{
    auto store = quaro::QuaroStore::open(database);
    if (!store)
        fail(store.error().description());
    const auto destinos = store->destinos();
    if (!destinos || destinos->empty())
        fail("no destinos");
    if (!store->database().execute("BEGIN"))
        fail("BEGIN");
    const std::string words = "isso é pro Tavlo: revisar a tela de login, ver o fluxo de senha esquecida e "
                              "anotar o que falta para a próxima versão do aplicativo, com calma. ";
    for (int i = 0; i < count; ++i) {
        quaro::Recado recado;
        recado.id = quaro::makeUUID();
        recado.createdAt = 1750000000.0 + i * 37.5;
        recado.duration = 5 + i % 90;
        recado.transcript = words + words;
        recado.title = "Revisar a tela de login " + std::to_string(i);
        recado.destinoID = (*destinos)[static_cast<std::size_t>(i) % destinos->size()].id;
        recado.status = i % 5 == 0 ? quaro::RecadoStatus::resolvido
                      : i % 7 == 0 ? quaro::RecadoStatus::pego
                                   : quaro::RecadoStatus::pendente;
        recado.language = "pt-BR";
        if (recado.status == quaro::RecadoStatus::resolvido) {
            recado.claimedBy = "Claude Code";
            recado.result = "Criei a issue https://tavlo.app/issues/" + std::to_string(i);
        }
        if (!store->insert(recado))
            fail("insert");
    }
    if (!store->database().execute("COMMIT"))
        fail("COMMIT");
}

} // namespace

int main(int argc, char** argv)
{
    const std::string program = argc > 1 ? argv[1] : QUARO_MCP_PATH;
    std::string pattern = (std::filesystem::temp_directory_path() / "quaro-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        fail("mkdtemp");
    const std::filesystem::path home = pattern;
    const std::filesystem::path data = home / "data";
    std::filesystem::create_directories(data / "Quaro");
    const std::vector<std::string> environment{"HOME=" + home.string(), "XDG_DATA_HOME=" + data.string(),
                                               "PATH=/usr/bin:/bin"};

    constexpr int recados = 5000;
    seed(data / "Quaro" / "quaro.sqlite", recados);

    const std::string initialize =
        R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"protocolVersion":"2025-06-18",)"
        R"("capabilities":{},"clientInfo":{"name":"bench","version":"1"}}})";

    // Each start is paired with a spawn of /bin/true, what starting any
    // process costs here under the same load, to read the figure against.
    std::vector<double> baseline;
    std::vector<double> starts;
    std::vector<double> startCpu;
    for (int run = 0; run < 30; ++run) {
        auto begin = Clock::now();
        Server trivial("/bin/true", environment);
        trivial.finish();
        baseline.push_back(millisecondsSince(begin));

        begin = Clock::now();
        Server server(program, environment);
        const std::string reply = server.request(initialize);
        starts.push_back(millisecondsSince(begin));
        if (reply.find("\"protocolVersion\"") == std::string::npos)
            fail("unexpected initialize reply: " + reply);
        startCpu.push_back(server.finish());
    }

    // Round trips through the same pipe: a ping is what the pipe and the
    // JSON-RPC loop cost, so a tool call's round trip minus a ping's is the
    // server's own work for that tool. Calls are interleaved with pings so
    // that both see the same load.
    const std::string ping = R"({"jsonrpc":"2.0","id":9,"method":"ping"})";
    const std::string defaultList =
        R"({"jsonrpc":"2.0","id":1,"method":"tools/call","params":{"name":"inbox_list","arguments":{}}})";
    const std::string allList = R"({"jsonrpc":"2.0","id":2,"method":"tools/call","params":{"name":"inbox_list",)"
                                R"("arguments":{"status":"todos","limite":100}}})";
    const std::string search = R"({"jsonrpc":"2.0","id":3,"method":"tools/call","params":{"name":"search",)"
                               R"("arguments":{"consulta":"login 4999"}}})";
    struct Series {
        const char* label;
        const std::string* line;
        int count;
        std::vector<double> times;
        std::size_t replyBytes = 0;
    };
    std::vector<double> pings;
    std::vector<Series> series{{"inbox_list (default: pendente, 20)", &defaultList, 2000, {}},
                               {"inbox_list status todos, limite 100", &allList, 500, {}},
                               {"search (one match in 5000)", &search, 200, {}}};
    long peakKiB = 0;
    {
        Server server(program, environment);
        server.request(initialize);
        const auto timed = [&](const std::string& line, std::string& reply) {
            const auto begin = Clock::now();
            reply = server.request(line);
            return millisecondsSince(begin);
        };
        std::string reply;
        for (Series& s : series) {
            for (int i = 0; i < 50; ++i) { // warm-up
                server.request(ping);
                server.request(*s.line);
            }
            for (int i = 0; i < s.count; ++i) {
                pings.push_back(timed(ping, reply));
                s.times.push_back(timed(*s.line, reply));
                s.replyBytes = reply.size();
                if (reply.find("\"isError\":false") == std::string::npos)
                    fail(std::string(s.label) + " failed: " + reply.substr(0, 300));
            }
        }
        peakKiB = server.peakRssKiB();
    }
    const double pingMedian = percentile(pings, 0.5);

    std::printf("quaro-mcp: %s\n", program.c_str());
    std::printf("inbox: %d recados\n", recados);
    std::printf("cold start (spawn to initialize reply), median of %zu: %.2f ms   (target <= 5 ms; min %.2f, max %.2f)\n",
                starts.size(), percentile(starts, 0.5), percentile(starts, 0.0), percentile(starts, 1.0));
    std::printf("  CPU time of a server that starts, answers initialize and exits (user+sys), median: %.2f ms\n",
                percentile(startCpu, 0.5));
    std::printf("  for comparison, spawn and exit of /bin/true, median: %.2f ms\n", percentile(baseline, 0.5));
    std::printf("ping round trip over %zu calls: median %.3f ms, p99 %.3f ms\n", pings.size(), pingMedian,
                percentile(pings, 0.99));
    for (const Series& s : series) {
        std::printf("%s over %zu calls (%zu-byte reply): round trip median %.3f ms, p99 %.3f ms; "
                    "minus ping %.3f ms\n",
                    s.label, s.times.size(), s.replyBytes, percentile(s.times, 0.5), percentile(s.times, 0.99),
                    percentile(s.times, 0.5) - pingMedian);
    }
    std::printf("  targets: default inbox_list minus ping <= 0.1 ms; todos/100 round trip <= 2 ms\n");
    std::printf("peak RSS of the server (VmHWM): %.2f MiB   (target <= 8 MiB)\n",
                static_cast<double>(peakKiB) / 1024.0);

    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return 0;
}
