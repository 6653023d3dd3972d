// The internet test's own seam to the system: the Winsock calls of the tiny HTTP server the
// test runs on 127.0.0.1.
#pragma once

#include <cstdint>
#include <string>

namespace win32 {

// WSAStartup; false when Winsock cannot be used.
bool StartSockets();
void EndSockets();
constexpr std::uintptr_t kNoSocket = ~std::uintptr_t{0};
// A socket listening on 127.0.0.1 at a port the system picks, and that port; kNoSocket on
// failure.
std::uintptr_t ListenOnLoopback(unsigned short* port);
// Whether a connection waits on the listening socket within the time (select).
bool ConnectionWaiting(std::uintptr_t listener, unsigned milliseconds);
// Accepts one connection and reads its request up to the blank line after the headers: the
// connection, or kNoSocket when no whole request came.
std::uintptr_t AcceptRequest(std::uintptr_t listener, std::string* request);
// Sends the bytes on the connection and keeps it open; false when not all of them were sent.
bool SendBytes(std::uintptr_t connection, const std::string& bytes);
// Sends the response on the connection and closes it; false when not all of it was sent.
bool SendResponse(std::uintptr_t connection, const std::string& response);
void CloseSocket(std::uintptr_t socket);

}  // namespace win32
