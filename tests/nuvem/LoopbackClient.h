#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace quaro::nuvem::test {

struct Reply {
    int status = 0;
    std::map<std::string, std::string> headers; // names in lower case
    std::string body;
};

// A connection to 127.0.0.1 whose reads give up after 30 s; -1 on failure.
inline int connectTo(std::uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const timeval limit{30, 0};
    const sockaddr_in address{.sin_family = AF_INET, .sin_port = htons(port), .sin_addr = {htonl(INADDR_LOOPBACK)}};
    if (fd >= 0 && (setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) != 0 ||
                    connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)) {
        close(fd);
        return -1;
    }
    return fd;
}

// One HTTP/1.1 request per connection, read to the end. Plain sockets keep
// the tests light to build.
inline Reply request(std::uint16_t port, const std::string& method, const std::string& path, const std::string& body,
                     const std::vector<std::pair<std::string, std::string>>& headers = {})
{
    Reply reply;
    const int fd = connectTo(port);
    if (fd < 0)
        return reply;
    std::string out = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    for (const auto& [name, value] : headers)
        out += name + ": " + value + "\r\n";
    out += "\r\n" + body;
    for (std::size_t sent = 0; sent < out.size();) {
        const ssize_t n = send(fd, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    std::string in;
    char buffer[65536];
    for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;)
        in.append(buffer, static_cast<std::size_t>(n));
    close(fd);

    const auto headEnd = in.find("\r\n\r\n");
    if (in.size() < 12 || headEnd == std::string::npos)
        return reply;
    reply.status = std::stoi(in.substr(9, 3));
    reply.body = in.substr(headEnd + 4);
    for (auto line = in.find("\r\n") + 2, end = line; line < headEnd; line = end + 2) {
        end = in.find("\r\n", line);
        const auto colon = in.find(':', line);
        std::string name = in.substr(line, colon - line);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        const auto value = in.find_first_not_of(' ', colon + 1);
        reply.headers[name] = in.substr(value, end - value);
    }
    return reply;
}

} // namespace quaro::nuvem::test
