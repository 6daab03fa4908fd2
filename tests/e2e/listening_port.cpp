#include "listening_port.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>

namespace e2e {

bool nothingListensOn(int port) {
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* addresses = nullptr;
    bool refused = getaddrinfo("localhost", std::to_string(port).c_str(), &hints, &addresses) == 0;
    for (const addrinfo* at = addresses; refused && at != nullptr; at = at->ai_next) {
        const SOCKET s = socket(at->ai_family, at->ai_socktype, at->ai_protocol);
        // An address family this machine lacks has nobody listening either.
        if (s == INVALID_SOCKET) continue;
        refused = connect(s, at->ai_addr, static_cast<int>(at->ai_addrlen)) != 0;
        closesocket(s);
    }
    if (addresses != nullptr) freeaddrinfo(addresses);
    WSACleanup();
    return refused;
}

}  // namespace e2e
