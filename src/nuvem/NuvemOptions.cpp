#include "nuvem/NuvemOptions.h"

#include "nuvem/ClientAddress.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace quaro::nuvem {
namespace {

template <typename N>
bool number(const std::string& text, N& out, N least, N most)
{
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < static_cast<std::int64_t>(least) ||
        value > static_cast<std::int64_t>(most))
        return false;
    out = static_cast<N>(value);
    return true;
}

// "host:port", "[v6]:port" or ":port".
bool listenAddress(const std::string& text, HttpServer::Options& server)
{
    const auto colon = text.rfind(':');
    if (colon == std::string::npos)
        return false;
    std::string host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    if (!number<std::uint16_t>(text.substr(colon + 1), server.port, 0, 65535))
        return false;
    server.address = host.empty() ? "127.0.0.1" : host;
    return true;
}

} // namespace

const char* NuvemOptions::usage()
{
    return "uso: quaro-nuvem [opções]\n"
           "O servidor da nuvem do Quaro: sincronização dos recados e MCP remoto pelo link pessoal.\n"
           "\n"
           "  --listen ENDEREÇO:PORTA  onde escutar (padrão 127.0.0.1:8080)\n"
           "  --tls-cert ARQUIVO       certificado (cadeia PEM); com --tls-key, só HTTPS\n"
           "  --tls-key ARQUIVO        chave privada PEM do certificado\n"
           "  --database CAMINHO|URL   arquivo SQLite das contas (padrão quaro-nuvem.sqlite), ou um\n"
           "                           PostgreSQL: postgresql://usuário@servidor/banco ou \"host=... dbname=...\"\n"
           "                           (várias instâncias podem usar o mesmo banco)\n"
           "  --threads N              linhas de execução que leem pedidos e escrevem respostas (padrão 2)\n"
           "  --workers N              linhas de execução que processam pedidos e esperam o armazenamento\n"
           "                           (padrão 16; no PostgreSQL, também o número de conexões ao banco)\n"
           "  --queue N                pedidos à espera de uma delas; acima: 503 com Retry-After (padrão 1024)\n"
           "  --new-accounts N         contas novas por endereço (IPv6: por /64) a cada hora; acima: 429\n"
           "                           (padrão 30)\n"
           "  --account-recados N      recados guardados por conta (padrão 200000); acima: 507\n"
           "  --account-bytes BYTES    bytes de texto por conta: títulos, transcrições e resultados\n"
           "                           (padrão 1073741824); acima: 507\n"
           "  --max-recados N          recados por sincronização (padrão 2000; o app manda até 400)\n"
           "  --max-apagados N         ids apagados por sincronização (padrão 10000; o app manda até 2000)\n"
           "  --max-destinos N         destinos por sincronização (padrão 1000)\n"
           "  --max-text BYTES         tamanho de uma transcrição, resultado, instrução, título ou nome\n"
           "                           (padrão 1048576); ids e demais campos até 4096 bytes. Acima: 413\n"
           "  --max-connections N      conexões atendidas ao mesmo tempo; as demais são fechadas (padrão 1024)\n"
           "  --max-body BYTES         tamanho máximo do corpo de um pedido (padrão 8388608)\n"
           "  --timeout SEGUNDOS       prazo para um pedido chegar inteiro e para a resposta sair (padrão 30)\n"
           "  --auth-failures N        links inválidos aceitos por endereço (IPv6: por /64) a cada minuto\n"
           "                           antes de recusar com 429 (padrão 30); um link válido é sempre atendido\n"
           "  --trusted-proxy ENDEREÇO endereço de um proxy reverso (repetível): nos pedidos que vêm dele o\n"
           "                           endereço do cliente sai dos cabeçalhos Forwarded ou X-Forwarded-For\n"
           "  --quiet                  sem uma linha de registro por pedido\n"
           "  --help                   mostra esta ajuda\n";
}

bool NuvemOptions::usesPostgres() const
{
    return database.rfind("postgres://", 0) == 0 || database.rfind("postgresql://", 0) == 0 ||
           database.find('=') != std::string::npos;
}

Result<NuvemOptions, std::string> NuvemOptions::parse(const std::vector<std::string>& arguments)
{
    NuvemOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name == "--quiet") {
            options.server.logRequests = false;
            continue;
        }
        if (i + 1 >= arguments.size())
            return Failure{"falta o valor de " + name};
        const std::string& value = arguments[++i];
        bool ok = true;
        if (name == "--listen")
            ok = listenAddress(value, options.server);
        else if (name == "--database")
            options.database = value, ok = !value.empty();
        else if (name == "--tls-cert")
            options.server.certificateFile = value;
        else if (name == "--tls-key")
            options.server.keyFile = value;
        else if (name == "--threads")
            ok = number<unsigned>(value, options.server.threads, 1, 64);
        else if (name == "--workers")
            ok = number<unsigned>(value, options.server.workers, 1, 1024);
        else if (name == "--queue")
            ok = number<std::size_t>(value, options.server.queue, 1, 1000000);
        else if (name == "--new-accounts")
            ok = number<std::size_t>(value, options.limits.newAccountsPerHour, 1, 1000000);
        else if (name == "--account-recados")
            ok = number<std::int64_t>(value, options.limits.sync.accountRecados, 1000, std::int64_t(1) << 40);
        else if (name == "--account-bytes")
            ok = number<std::int64_t>(value, options.limits.sync.accountBytes, 1 << 20, std::int64_t(1) << 50);
        else if (name == "--max-recados")
            ok = number<std::size_t>(value, options.limits.sync.recados, 400, 1000000);
        else if (name == "--max-apagados")
            ok = number<std::size_t>(value, options.limits.sync.deletions, 2000, 10000000);
        else if (name == "--max-destinos")
            ok = number<std::size_t>(value, options.limits.sync.destinos, 1, 1000000);
        else if (name == "--max-text")
            ok = number<std::size_t>(value, options.limits.sync.textBytes, 65536, std::size_t(1) << 30);
        else if (name == "--max-connections")
            ok = number<std::size_t>(value, options.server.maxConnections, 1, 1000000);
        else if (name == "--max-body")
            ok = number<std::size_t>(value, options.server.maxBody, 1024, std::size_t(1) << 30);
        else if (name == "--timeout") {
            unsigned seconds = 0;
            ok = number<unsigned>(value, seconds, 1, 3600);
            options.server.timeout = std::chrono::seconds(seconds);
        } else if (name == "--trusted-proxy") {
            const std::string proxy = ClientAddress::canonical(value);
            ok = !proxy.empty();
            options.server.trustedProxies.push_back(proxy);
        } else if (name == "--auth-failures")
            ok = number<std::size_t>(value, options.limits.failedAuthPerWindow, 1, 1000000);
        else
            return Failure{"opção desconhecida: " + name};
        if (!ok)
            return Failure{"valor inválido para " + name + ": " + value};
    }
    if (options.server.certificateFile.empty() != options.server.keyFile.empty())
        return Failure{std::string("--tls-cert e --tls-key andam juntos")};
    return options;
}

} // namespace quaro::nuvem
