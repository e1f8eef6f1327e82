// Datagram endpoint of a network receiver: an IPv4 address record, a bound
// non-blocking datagram socket, sending and taking one datagram, and the
// system's text for a socket error.
#ifndef JEX2CSV_UDP_H_
#define JEX2CSV_UDP_H_

#include <cstdint>

// The system's IPv4 address record; UDP.cc takes its definition from the
// platform header.
struct sockaddr_in;

namespace jex {

// Allocates a zeroed IPv4 address record (16 bytes); UdpCleanup releases it.
sockaddr_in* makeServer();

// Opens the datagram endpoint. The host comes from host: a name or a dotted
// address, optionally followed by ":" and a port number that overrides
// defaultPort; a missing or empty host means this machine by its loopback
// name "localhost". Fills serverAddr with the resolved IPv4 address and
// port and writes "DEBUG: Server address: [<name>] = <dotted> : <port>".
// Then creates a datagram socket that allows address reuse, binds it to
// serverAddr, makes it non-blocking and returns it.
// Returns -1 with no socket open when the host cannot be resolved ("ERROR:
// Problem getting host socket information (<text>)") or the socket cannot
// be bound ("UDPRECV: ERROR: Socket bind failed (<text>)").
int opensocket(const char* host, int defaultPort, sockaddr_in* serverAddr);

// Sends sendLength bytes as one datagram to serverAddr after writing
// "[<length>]" to standard error. Returns sendLength; 0 for a zero length
// (nothing written) and 0 after "ERROR: Send failed (<text>)".
int transmit(int s, const sockaddr_in* serverAddr, const void* sendBuffer, int sendLength);

// Takes one waiting datagram into receiveBuffer (a longer one is cut to
// receiveLength bytes), records its sender in serverAddr (when given),
// writes "UDPRECV: Received from <dotted>:<port>" and returns the number of
// bytes stored. Returns 0 without a message when nothing is waiting, and -1
// after "UDPRECV: ERROR: Receive failed (<text>)" on any other failure.
int receive(int s, sockaddr_in* serverAddr, void* receiveBuffer, int receiveLength);

// Closes s when it is a socket (not -1) and releases server when given.
void UdpCleanup(sockaddr_in* server, int s);

// The system's text for socket error e, or "<unknown #<e> 0x<e in hex>>".
// Returns a static buffer that the next call overwrites.
const char* socketStrerr(int e);

}  // namespace jex

#endif  // JEX2CSV_UDP_H_
