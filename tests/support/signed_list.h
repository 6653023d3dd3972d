// Update lists signed as the vendor signs them, with the demo's key or another one, and
// served beside their lists.
#pragma once

#include <ctime>
#include <string>

namespace testing_support {

// The demo's private key, whose public half the shipped settings.xml names.
std::string DemoUpdateKey();
// A key of the same size that the program does not know.
std::string OtherUpdateKey();
// The public half of a private key in PEM form, as settings.xml holds it.
std::string PublicKeyText(const std::string& privateKey = DemoUpdateKey());
// The public half of a key too short to be trusted.
std::string ShortPublicKeyText();

// The signature file of the list, issued at the moment.
std::string SignatureFile(const std::string& list, long long issued = std::time(nullptr),
                          const std::string& key = DemoUpdateKey());
// Serves the list at the path and its signature at the path with ".sig", on an UpdateServer.
template <typename Server>
void ServeSigned(Server& server, const std::string& path, const std::string& list,
                 long long issued = std::time(nullptr)) {
  server.Serve(path, list);
  server.Serve(path + ".sig", SignatureFile(list, issued));
}

}  // namespace testing_support
