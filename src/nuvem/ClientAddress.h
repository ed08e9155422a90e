#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quaro::nuvem {

// Who sent a request, for the abuse limits. Behind a reverse proxy every
// connection comes from the proxy, so the address the proxy saw is taken
// from its Forwarded or X-Forwarded-For header, but only when the peer is
// one of the proxies the operator named: anyone else could write those
// headers to pass for someone else. Plain functions, any thread.
class ClientAddress {
public:
    // The client's address in canonical text: `peer`, or the address the
    // trusted proxy put last in `forwarded` (preferred) or `forwardedFor`.
    // A header that cannot be read leaves the peer's address.
    static std::string of(const std::string& peer, std::string_view forwarded, std::string_view forwardedFor,
                          const std::vector<std::string>& trustedProxies);

    // What the limits count by: an IPv4 address as it is, an IPv6 address by
    // its /64, the block one subscriber usually holds whole.
    static std::string limitKey(const std::string& address);

    // The canonical text of an IPv4 or IPv6 address (an IPv4 address mapped
    // into IPv6 reads as IPv4), or empty when `text` is not an address.
    static std::string canonical(std::string_view text);
};

} // namespace quaro::nuvem
