// Datagram endpoint of a network receiver over BSD sockets.
#include "jex2csv/UDP.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "jex2csv/platform.h"

namespace jex {
namespace {

constexpr const char* kLocalHostName = "localhost";
constexpr std::size_t kHostTextMax = 255;  // longest host text taken from the caller

// Splits "name[:port]" into name (at most kHostTextMax characters) and port;
// the port is only taken when the colon is followed by a number that fits
// a port.
void SplitHost(const char* host, char (&name)[kHostTextMax + 1], int& port) {
  std::snprintf(name, sizeof name, "%s", host);
  char* colon = std::strchr(name, ':');
  if (colon == nullptr) return;
  *colon = '\0';
  const char* digits = colon + 1;
  if (*digits < '0' || *digits > '9') return;
  long value = 0;
  for (const char* p = digits; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > 65535) return;
  }
  port = static_cast<int>(value);
}

}  // namespace

sockaddr_in* makeServer() { return static_cast<sockaddr_in*>(std::calloc(1, sizeof(sockaddr_in))); }

int opensocket(const char* host, int defaultPort, sockaddr_in* serverAddr) {
  // The socket layer needs no start-up here.
  char name[kHostTextMax + 1];
  int port = defaultPort;
  SplitHost((host != nullptr && host[0] != '\0') ? host : kLocalHostName, name, port);
  if (name[0] == '\0') std::snprintf(name, sizeof name, "%s", kLocalHostName);

  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  hints.ai_flags = AI_CANONNAME;
  addrinfo* found = nullptr;
  const int rc = ::getaddrinfo(name, nullptr, &hints, &found);
  if (rc != 0 || found == nullptr) {
    std::fprintf(stderr, "ERROR: Problem getting host socket information (%s)\n",
                 rc == EAI_SYSTEM ? socketStrerr(platform::LastError()) : ::gai_strerror(rc));
    if (found != nullptr) ::freeaddrinfo(found);
    return -1;
  }
  sockaddr_in addr{};
  std::memcpy(&addr, found->ai_addr, sizeof addr);
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  char dotted[INET_ADDRSTRLEN] = "";
  ::inet_ntop(AF_INET, &addr.sin_addr, dotted, sizeof dotted);
  std::fprintf(stderr, "DEBUG: Server address: [%s] = %s : %d\n",
               found->ai_canonname != nullptr ? found->ai_canonname : name, dotted, port);
  ::freeaddrinfo(found);
  if (serverAddr != nullptr) *serverAddr = addr;

  const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (s < 0) {
    std::fprintf(stderr, "UDPRECV: ERROR: Socket creation failed (%s)\n",
                 socketStrerr(platform::LastError()));
    return -1;
  }
  const int on = 1;
  ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (::bind(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
    std::fprintf(stderr, "UDPRECV: ERROR: Socket bind failed (%s)\n",
                 socketStrerr(platform::LastError()));
    // Callers take -1 as "no socket": the one made here must not leak.
    platform::CloseDescriptor(s);
    return -1;
  }
  platform::SetNonBlocking(s);
  return s;
}

int transmit(int s, const sockaddr_in* serverAddr, const void* sendBuffer, int sendLength) {
  if (sendLength <= 0) return 0;
  std::fprintf(stderr, "[%d]\n", sendLength);
  const ssize_t sent = ::sendto(s, sendBuffer, static_cast<std::size_t>(sendLength), 0,
                                reinterpret_cast<const sockaddr*>(serverAddr),
                                serverAddr != nullptr ? sizeof *serverAddr : 0);
  if (sent < 0) {
    std::fprintf(stderr, "ERROR: Send failed (%s)\n", socketStrerr(platform::LastError()));
    return 0;
  }
  return sendLength;
}

int receive(int s, sockaddr_in* serverAddr, void* receiveBuffer, int receiveLength) {
  sockaddr_in from{};
  socklen_t fromLength = sizeof from;
  const std::size_t room = receiveLength > 0 ? static_cast<std::size_t>(receiveLength) : 0;
  const ssize_t n =
      ::recvfrom(s, receiveBuffer, room, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
  if (n < 0) {
    const int e = platform::LastError();
    if (platform::IsWouldBlock(e)) return 0;
    std::fprintf(stderr, "UDPRECV: ERROR: Receive failed (%s)\n", socketStrerr(e));
    return -1;
  }
  if (serverAddr != nullptr) *serverAddr = from;
  char dotted[INET_ADDRSTRLEN] = "";
  ::inet_ntop(AF_INET, &from.sin_addr, dotted, sizeof dotted);
  std::fprintf(stderr, "UDPRECV: Received from %s:%d\n", dotted, ntohs(from.sin_port));
  return static_cast<int>(n);
}

void UdpCleanup(sockaddr_in* server, int s) {
  if (s != platform::kInvalid) platform::CloseDescriptor(s);
  // The socket layer needs no stopping here; only the record is released.
  std::free(server);
}

const char* socketStrerr(int e) {
  static char socketStrerrBuf[256];
  const char* text = platform::ErrorText(e);
  if (text != nullptr) {
    std::snprintf(socketStrerrBuf, sizeof socketStrerrBuf, "%s", text);
  } else {
    std::snprintf(socketStrerrBuf, sizeof socketStrerrBuf, "<unknown #%d 0x%x>", e,
                  static_cast<unsigned>(e));
  }
  return socketStrerrBuf;
}

}  // namespace jex
