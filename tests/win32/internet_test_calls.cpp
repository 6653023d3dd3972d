#include "internet_test_calls.h"

// <windows.h> without the old winsock.h, which Winsock 2's header replaces.
#define WIN32_LEAN_AND_MEAN
#include "platform/win32/windows_door.h"

#include <winsock2.h>

namespace win32 {

bool StartSockets() {
  WSADATA data;
  return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

void EndSockets() {
  ::WSACleanup();
}

std::uintptr_t ListenOnLoopback(unsigned short* port) {
  const SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener == INVALID_SOCKET) return kNoSocket;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  int length = sizeof address;
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener, 4) != 0 ||
      ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::closesocket(listener);
    return kNoSocket;
  }
  *port = ::ntohs(address.sin_port);
  return listener;
}

bool ConnectionWaiting(std::uintptr_t listener, unsigned milliseconds) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(static_cast<SOCKET>(listener), &readable);
  timeval wait{static_cast<long>(milliseconds / 1000),
               static_cast<long>(milliseconds % 1000) * 1000};
  return ::select(0, &readable, nullptr, nullptr, &wait) == 1;
}

std::uintptr_t AcceptRequest(std::uintptr_t listener, std::string* request) {
  const SOCKET connection = ::accept(static_cast<SOCKET>(listener), nullptr, nullptr);
  if (connection == INVALID_SOCKET) return kNoSocket;
  request->clear();
  char block[1024];
  while (request->find("\r\n\r\n") == std::string::npos) {
    const int count = ::recv(connection, block, sizeof block, 0);
    if (count <= 0) {
      ::closesocket(connection);
      return kNoSocket;
    }
    request->append(block, static_cast<std::size_t>(count));
  }
  return connection;
}

bool SendBytes(std::uintptr_t connection, const std::string& bytes) {
  const SOCKET socket = static_cast<SOCKET>(connection);
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const int count = ::send(socket, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
    if (count <= 0) break;
    sent += static_cast<std::size_t>(count);
  }
  return sent == bytes.size();
}

bool SendResponse(std::uintptr_t connection, const std::string& response) {
  const bool sent = SendBytes(connection, response);
  const SOCKET socket = static_cast<SOCKET>(connection);
  ::shutdown(socket, SD_SEND);
  ::closesocket(socket);
  return sent;
}

void CloseSocket(std::uintptr_t socket) {
  ::closesocket(static_cast<SOCKET>(socket));
}

}  // namespace win32
