#include "jex2csv/UDP.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

namespace jex {
namespace {

int BoundPort(int s) {
  sockaddr_in a{};
  socklen_t n = sizeof a;
  EXPECT_EQ(getsockname(s, reinterpret_cast<sockaddr*>(&a), &n), 0);
  return ntohs(a.sin_port);
}

std::size_t OpenDescriptors() {
  std::size_t n = 0;
  for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)e;
    ++n;
  }
  return n;
}

// A datagram socket bound to a free port of 127.0.0.1, without address
// reuse, so that it keeps the port to itself.
int BoundLoopbackSocket() {
  const int s = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  return s;
}

// A port on 127.0.0.1 that nothing is bound to right now.
int FreeLoopbackPort() {
  const int s = BoundLoopbackSocket();
  const int port = BoundPort(s);
  close(s);
  return port;
}

std::string Text(const char* fmt, int a, int b = 0) {
  char buf[160];
  std::snprintf(buf, sizeof buf, fmt, a, b);
  return buf;
}

// Waits (boundedly) for one datagram on a non-blocking socket.
int ReceiveWithin(int s, sockaddr_in* from, void* buf, int len) {
  for (int i = 0; i < 200; ++i) {
    const int n = receive(s, from, buf, len);
    if (n != 0) return n;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return 0;
}

TEST(SocketStrerr, SystemTextOrUnknownMarker) {
  struct Case {
    int e;
    const char* text;
  };
  const Case kCases[] = {
      {ECONNREFUSED, "Connection refused"},
      {EWOULDBLOCK, "Resource temporarily unavailable"},
      {123456, "<unknown #123456 0x1e240>"},
      {-1, "<unknown #-1 0xffffffff>"},
  };
  for (const Case& c : kCases) EXPECT_STREQ(socketStrerr(c.e), c.text) << c.e;
}

TEST(Opensocket, HostTextChoosesAddressAndPort) {
  const int port = FreeLoopbackPort();
  struct Case {
    std::string host;
    int defaultPort;
    std::string shown;  // the bracketed name and the rest of the DEBUG line
    int boundPort;      // -1: any (port 0 asks for any free one)
  };
  const Case kCases[] = {
      {"127.0.0.1:" + std::to_string(port), 9, Text("[127.0.0.1] = 127.0.0.1 : %d", port), port},
      {"127.0.0.1", port, Text("[127.0.0.1] = 127.0.0.1 : %d", port), port},
      {"127.0.0.1:", port, Text("[127.0.0.1] = 127.0.0.1 : %d", port), port},
      {"localhost:" + std::to_string(port), 0, Text("[localhost] = 127.0.0.1 : %d", port), port},
      {"", 0, "[localhost] = 127.0.0.1 : 0", -1},
  };
  for (const Case& c : kCases) {
    sockaddr_in addr{};
    testing::internal::CaptureStderr();
    const int s = opensocket(c.host.c_str(), c.defaultPort, &addr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "DEBUG: Server address: " + c.shown + "\n")
        << c.host;
    ASSERT_GE(s, 0) << c.host;
    EXPECT_EQ(addr.sin_family, AF_INET);
    EXPECT_EQ(ntohl(addr.sin_addr.s_addr), INADDR_LOOPBACK) << c.host;
    if (c.boundPort >= 0) {
      EXPECT_EQ(BoundPort(s), c.boundPort) << c.host;
      EXPECT_EQ(ntohs(addr.sin_port), c.boundPort) << c.host;
    }
    EXPECT_NE(fcntl(s, F_GETFL) & O_NONBLOCK, 0) << c.host;
    int reuse = 0;
    socklen_t n = sizeof reuse;
    getsockopt(s, SOL_SOCKET, SO_REUSEADDR, &reuse, &n);
    EXPECT_NE(reuse, 0) << c.host;
    UdpCleanup(nullptr, s);
  }

  // No host text at all: this machine by its loopback name.
  testing::internal::CaptureStderr();
  sockaddr_in addr{};
  const int s = opensocket(nullptr, 0, &addr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "DEBUG: Server address: [localhost] = 127.0.0.1 : 0\n");
  EXPECT_GE(s, 0);
  UdpCleanup(nullptr, s);
}

TEST(Opensocket, FailedBindReturnsMinusOneAndKeepsNoSocket) {
  const int holder = BoundLoopbackSocket();
  const int port = BoundPort(holder);

  const std::size_t before = OpenDescriptors();
  sockaddr_in addr{};
  testing::internal::CaptureStderr();
  EXPECT_EQ(opensocket(("127.0.0.1:" + std::to_string(port)).c_str(), 0, &addr), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            Text("DEBUG: Server address: [127.0.0.1] = 127.0.0.1 : %d\n", port) +
                "UDPRECV: ERROR: Socket bind failed (Address already in use)\n");
  EXPECT_EQ(OpenDescriptors(), before) << "the unbound socket was released";
  close(holder);
}

TEST(Opensocket, UnresolvableHostReturnsMinusOneWithoutSocket) {
  // A name part longer than 63 characters is refused by the resolver itself,
  // so no name server is asked.
  const std::string host = std::string(70, 'a') + ":4000";
  const std::size_t before = OpenDescriptors();
  sockaddr_in addr{};
  testing::internal::CaptureStderr();
  EXPECT_EQ(opensocket(host.c_str(), 0, &addr), -1);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(err.starts_with("ERROR: Problem getting host socket information (")) << err;
  EXPECT_TRUE(err.ends_with(")\n")) << err;
  EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line, no address shown";
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST(UdpExchange, DatagramsTravelBothWaysOnLoopback) {
  sockaddr_in serverAddr{}, clientAddr{};
  testing::internal::CaptureStderr();
  const int server = opensocket("127.0.0.1:0", 0, &serverAddr);
  const int client = opensocket("127.0.0.1:0", 0, &clientAddr);
  testing::internal::GetCapturedStderr();
  ASSERT_GE(server, 0);
  ASSERT_GE(client, 0);
  serverAddr.sin_port = htons(static_cast<std::uint16_t>(BoundPort(server)));
  const int clientPort = BoundPort(client);

  char buf[64] = {};
  sockaddr_in from{};
  testing::internal::CaptureStderr();
  EXPECT_EQ(receive(server, &from, buf, sizeof buf), 0) << "nothing waiting";
  EXPECT_EQ(transmit(client, &serverAddr, "<petition>", 10), 10);
  const int n = ReceiveWithin(server, &from, buf, sizeof buf);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "[10]\n" + Text("UDPRECV: Received from 127.0.0.1:%d\n", clientPort));
  ASSERT_EQ(n, 10);
  EXPECT_EQ(std::string(buf, 10), "<petition>");
  EXPECT_EQ(ntohs(from.sin_port), clientPort);

  // The recorded sender is where the answer goes.
  testing::internal::CaptureStderr();
  EXPECT_EQ(transmit(server, &from, "answer-bytes", 12), 12);
  sockaddr_in back{};
  char small[6] = {};
  EXPECT_EQ(ReceiveWithin(client, &back, small, sizeof small), 6) << "cut to the buffer";
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::string(small, 6), "answer");
  EXPECT_EQ(ntohs(back.sin_port), BoundPort(server));
  EXPECT_EQ(receive(client, &back, small, sizeof small), 0) << "the cut rest is gone";

  UdpCleanup(nullptr, client);
  UdpCleanup(nullptr, server);
}

TEST(UdpExchange, ZeroLengthAndFailuresAreReported) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  to.sin_port = htons(9);
  char buf[8];
  struct Case {
    const char* name;
    int (*op)(sockaddr_in*, char*);
    int result;
    std::string err;
  };
  const Case kCases[] = {
      {"send nothing", [](sockaddr_in* t, char* b) { return transmit(-1, t, b, 0); }, 0, ""},
      {"send on no socket", [](sockaddr_in* t, char* b) { return transmit(-1, t, b, 3); }, 0,
       "[3]\nERROR: Send failed (Bad file descriptor)\n"},
      {"receive on no socket", [](sockaddr_in* t, char* b) { return receive(-1, t, b, 8); }, -1,
       "UDPRECV: ERROR: Receive failed (Bad file descriptor)\n"},
  };
  for (const Case& c : kCases) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.op(&to, buf), c.result) << c.name;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.err) << c.name;
  }
}

TEST(UdpCleanup, ReleasesRecordAndClosesSocket) {
  sockaddr_in* server = makeServer();
  ASSERT_NE(server, nullptr);
  EXPECT_EQ(server->sin_family, 0);
  EXPECT_EQ(server->sin_port, 0);
  testing::internal::CaptureStderr();
  const int s = opensocket("127.0.0.1:0", 0, server);
  testing::internal::GetCapturedStderr();
  ASSERT_GE(s, 0);
  EXPECT_EQ(server->sin_family, AF_INET);
  UdpCleanup(server, s);
  EXPECT_EQ(fcntl(s, F_GETFD), -1) << "socket closed";
  UdpCleanup(nullptr, -1);  // nothing to release
}

}  // namespace
}  // namespace jex
