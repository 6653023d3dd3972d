// The signature file served beside an update list, and its issue time, whatever they hold: a
// time that is read is written back the same, and no signature of these bytes holds.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/signature.h"
#include "updater/list_signature.h"

namespace {

// The demo's public key.
constexpr const char* kKey =
    "-----BEGIN PUBLIC KEY-----\n"
    "MIIBojANBgkqhkiG9w0BAQEFAAOCAY8AMIIBigKCAYEAsGGzh5VFjhqWlfetVw+0\n"
    "MQp6NQ7w/t7PfyBuNnr7IRYVvvar1y+aoLDsG7vEGaogHCsbZooVH2QKfTTloYAT\n"
    "A0Mj8BWmbxxcmMrnRkPJmBcUOosJFm/LP19HOgVuIyxD8KdAXZZ+VMH3GhHDr0Gu\n"
    "6qClL7rqdi5QKZVluBQiS33fO2nVZmMWSqHt9KIicaV46ptww+XTgoQzRkR2GzUL\n"
    "exysp0dih4ye1URCIel2M/R6t/XGHqSR9Af3sC/ATKbkY0KcKo9C2cPTpkkJbToq\n"
    "4gtL+VeSAt8+YqP+X0/saOIX3hoRWcIdw766RVX5Q37s3hUQilgkFKoxaQbi+9yI\n"
    "DHHXMKtA1sDven+i1ngOmqhqVYM1y9Sab+yc/62Oq+B3VOgK0eVWq92Ua4KhNqvk\n"
    "3pLubIYuhT94p/nAH7+aTZLZCpNUEA96/ZoCE+ehrjJwRB+0/tjozoaFGd6ZlReQ\n"
    "+pA2jjp5K86Q4bcJiYNV5f6u6lNkxmKDij5LgIm1gx59AgMBAAE=\n"
    "-----END PUBLIC KEY-----\n";

constexpr std::string_view kList = "4.23\n0\n0\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto issued = updater::ReadIssueTime(text.substr(0, 20)))
    if (updater::IssueTimeText(*issued) != text.substr(0, 20)) __builtin_trap();
  const auto signature = updater::ReadListSignature(text);
  if (!signature) return 0;
  if (updater::IssueTimeText(signature->issued) != signature->issuedLine) __builtin_trap();
  if (platform::VerifySha256RsaSignature(kKey, updater::SignedBytes(*signature, kList),
                                         signature->base64) != platform::SignatureVerdict::Invalid)
    __builtin_trap();
  return 0;
}
