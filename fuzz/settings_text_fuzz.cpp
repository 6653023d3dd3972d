// The settings store's values as another program may have left them: any type, any bytes,
// read back as the program reads its texts and numbers.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/user_settings.h"
#include "fuzz_machine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  platform::Registry& registry = FuzzMachine::Shared().machine->registry();
  // The first byte picks the type; the rest is the value's data, stored as it is.
  const platform::DWORD type = data[0] % 12;
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  platform::HKEY key = nullptr;
  if (registry.RegCreateKeyExA(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\Fuzz", 0, nullptr, 0,
                               platform::KEY_ALL_ACCESS, nullptr, &key,
                               nullptr) != platform::ERROR_SUCCESS)
    return 0;
  registry.RegSetValueExA(key, "Homepage", 0, type,
                          reinterpret_cast<const platform::BYTE*>(bytes.data()),
                          static_cast<platform::DWORD>(bytes.size()));
  registry.RegCloseKey(key);
  app::UserSettings settings(registry, "Fuzz");
  const std::string text = settings.Text("Homepage");
  // A text is what came before its first zero, and never as long as the reading buffer.
  if (text.size() >= 1024 || text.find('\0') != std::string::npos ||
      bytes.compare(0, text.size(), text) != 0)
    __builtin_trap();
  settings.Number("Homepage", 7);
  return 0;
}
