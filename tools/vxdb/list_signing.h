// The vendor's side of signed update lists: the detached signature file of a list, made with
// the vendor's RSA private key (3072 bits or more) in PEM form.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vxdb {

// The signature file's text: the issue time's line, then the Base64 signature over that line
// (its line feed included) and the list's bytes, and a line feed. Nothing, with the reason in
// error, when the key cannot be read or is too short.
std::optional<std::string> SignatureFileFor(const std::string& keyPemPath, std::string_view list,
                                            long long issued, std::string* error);

}  // namespace vxdb
