#include "nuvem/ClientAddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstring>

namespace quaro::nuvem {
namespace {

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const auto end = text.find(separator, start);
        parts.push_back(trim(text.substr(start, end == std::string_view::npos ? end : end - start)));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

// An address as proxies write it: bare, "[v6]", "[v6]:port" or "v4:port".
std::string hostOf(std::string_view node)
{
    if (!node.empty() && node.front() == '"' && node.size() >= 2 && node.back() == '"')
        node = node.substr(1, node.size() - 2);
    if (!node.empty() && node.front() == '[') {
        const auto close = node.find(']');
        return close == std::string_view::npos ? std::string() : ClientAddress::canonical(node.substr(1, close - 1));
    }
    if (std::count(node.begin(), node.end(), ':') == 1)
        node = node.substr(0, node.find(':'));
    return ClientAddress::canonical(node);
}

// The "for=" addresses of a Forwarded header, in the order the hops added them.
std::vector<std::string> forwardedNodes(std::string_view header)
{
    std::vector<std::string> nodes;
    for (std::string_view element : split(header, ',')) {
        std::string found;
        for (std::string_view pair : split(element, ';')) {
            if (pair.size() > 4 && (pair.substr(0, 4) == "for=" || pair.substr(0, 4) == "For=" ||
                                    pair.substr(0, 4) == "FOR="))
                found = hostOf(pair.substr(4));
        }
        nodes.push_back(found);
    }
    return nodes;
}

std::vector<std::string> forwardedForNodes(std::string_view header)
{
    std::vector<std::string> nodes;
    for (std::string_view node : split(header, ','))
        nodes.push_back(hostOf(node));
    return nodes;
}

bool trusted(const std::string& address, const std::vector<std::string>& proxies)
{
    return std::find(proxies.begin(), proxies.end(), address) != proxies.end();
}

} // namespace

std::string ClientAddress::canonical(std::string_view text)
{
    const std::string copy(text);
    in_addr v4{};
    if (inet_pton(AF_INET, copy.c_str(), &v4) == 1) {
        char out[INET_ADDRSTRLEN];
        return inet_ntop(AF_INET, &v4, out, sizeof out) ? std::string(out) : std::string();
    }
    in6_addr v6{};
    if (inet_pton(AF_INET6, copy.c_str(), &v6) != 1)
        return {};
    if (IN6_IS_ADDR_V4MAPPED(&v6)) {
        std::memcpy(&v4, v6.s6_addr + 12, 4);
        char out[INET_ADDRSTRLEN];
        return inet_ntop(AF_INET, &v4, out, sizeof out) ? std::string(out) : std::string();
    }
    char out[INET6_ADDRSTRLEN];
    return inet_ntop(AF_INET6, &v6, out, sizeof out) ? std::string(out) : std::string();
}

std::string ClientAddress::of(const std::string& peer, std::string_view forwarded, std::string_view forwardedFor,
                              const std::vector<std::string>& trustedProxies)
{
    std::string address = canonical(peer);
    if (address.empty())
        return peer;
    if (!trusted(address, trustedProxies))
        return address;
    // Each proxy appends the address it saw: walking back from the end, the
    // first hop that is not one of ours is the client.
    const std::vector<std::string> nodes =
        !trim(forwarded).empty() ? forwardedNodes(forwarded) : forwardedForNodes(forwardedFor);
    for (auto node = nodes.rbegin(); node != nodes.rend(); ++node) {
        if (node->empty())
            return address; // unreadable: the limits count the proxy itself
        address = *node;
        if (!trusted(address, trustedProxies))
            return address;
    }
    return address;
}

std::string ClientAddress::limitKey(const std::string& address)
{
    in6_addr v6{};
    if (address.find(':') == std::string::npos || inet_pton(AF_INET6, address.c_str(), &v6) != 1)
        return address;
    std::memset(v6.s6_addr + 8, 0, 8);
    char out[INET6_ADDRSTRLEN];
    return inet_ntop(AF_INET6, &v6, out, sizeof out) ? std::string(out) + "/64" : address;
}

} // namespace quaro::nuvem
