#include "support/hive_builder.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include "platform/image/hive_file.h"
#include "regedit/registry_text.h"

namespace testing_support {

namespace {

constexpr std::size_t kBaseBlock = 4096, kBin = 4096;
constexpr std::uint32_t kRootCell = 0x20;  // offsets count from the first bin
constexpr std::uint32_t kRootCellSize = 88, kSecurityCellSize = 48;
constexpr std::uint32_t kNone = 0xFFFFFFFF;

void Put32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}
void Put16(std::vector<unsigned char>& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<unsigned char>(value);
  bytes[at + 1] = static_cast<unsigned char>(value >> 8);
}
void PutText(std::vector<unsigned char>& bytes, std::size_t at, const char* text) {
  std::memcpy(bytes.data() + at, text, std::strlen(text));
}

}  // namespace

bool WriteEmptyHive(const std::string& path) {
  std::vector<unsigned char> hive(kBaseBlock + kBin, 0);
  // The base block: signature, equal sequence numbers (a clean hive), format 1.3, the root's
  // cell, the size of the bins, and the XOR checksum of its first 508 bytes.
  PutText(hive, 0, "regf");
  Put32(hive, 4, 1);
  Put32(hive, 8, 1);
  Put32(hive, 20, 1);
  Put32(hive, 24, 3);
  Put32(hive, 32, 1);
  Put32(hive, 36, kRootCell);
  Put32(hive, 40, kBin);
  Put32(hive, 44, 1);
  std::uint32_t checksum = 0;
  for (std::size_t at = 0; at < 508; at += 4)
    checksum ^= static_cast<std::uint32_t>(hive[at] | hive[at + 1] << 8 | hive[at + 2] << 16 |
                                           static_cast<std::uint32_t>(hive[at + 3]) << 24);
  Put32(hive, 508, checksum);

  const std::size_t bin = kBaseBlock;
  PutText(hive, bin, "hbin");
  Put32(hive, bin + 8, kBin);
  // The root key: a used cell (negative size) holding an nk record with no sub keys, no
  // values and no class, flagged as the hive's entry that cannot be deleted.
  const std::size_t root = bin + kRootCell;
  const std::uint32_t security = kRootCell + kRootCellSize;
  Put32(hive, root, static_cast<std::uint32_t>(-static_cast<std::int32_t>(kRootCellSize)));
  PutText(hive, root + 4, "nk");
  Put16(hive, root + 6, 0x2C);
  Put32(hive, root + 20, kNone);  // parent
  Put32(hive, root + 32, kNone);  // sub key list
  Put32(hive, root + 36, kNone);  // volatile sub key list
  Put32(hive, root + 44, kNone);  // value list
  Put32(hive, root + 48, security);
  Put32(hive, root + 52, kNone);  // class
  Put16(hive, root + 76, 4);
  PutText(hive, root + 80, "ROOT");
  // The root's security: an sk record in a list of its own, with an empty self-relative
  // security descriptor.
  const std::size_t sk = bin + security;
  Put32(hive, sk, static_cast<std::uint32_t>(-static_cast<std::int32_t>(kSecurityCellSize)));
  PutText(hive, sk + 4, "sk");
  Put32(hive, sk + 8, security);
  Put32(hive, sk + 12, security);
  Put32(hive, sk + 16, 1);   // references
  Put32(hive, sk + 20, 20);  // descriptor size
  hive[sk + 24] = 1;         // revision
  Put16(hive, sk + 26, 0x8000);
  // The rest of the bin is one free cell.
  const std::uint32_t used = security + kSecurityCellSize;
  Put32(hive, bin + used, static_cast<std::uint32_t>(kBin - used));

  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(hive.data()), static_cast<std::streamsize>(hive.size()));
  return static_cast<bool>(out);
}

bool FillHive(const std::string& path, const std::string& text, const std::string& keyName,
              std::string& error) {
  const platform::CodePage code(1252);
  std::vector<regedit::RegistryChange> changes;
  if (!regedit::ParseRegistryText(text, changes, error, code)) return false;
  platform::HKEY root = nullptr;
  std::string prefix;
  if (!regedit::ReadKeyName(keyName, root, prefix)) {
    error = "unknown root in " + keyName;
    return false;
  }
  auto hive = platform::HiveFile::Open(path, code, true, &error);
  if (!hive) return false;
  const std::string lowerPrefix = code.Lower(prefix);
  for (const regedit::RegistryChange& change : changes) {
    using Kind = regedit::RegistryChange::Kind;
    if (change.root != root || (change.kind != Kind::CreateKey && change.kind != Kind::SetValue))
      continue;
    const std::string lower = code.Lower(change.keyPath);
    if (lower != lowerPrefix && lower.rfind(lowerPrefix + "\\", 0) != 0) continue;
    platform::HiveFile::Node node = hive->Root();
    const std::string below =
        change.keyPath.substr(std::min(change.keyPath.size(), prefix.size() + 1));
    for (std::size_t at = 0; at < below.size();) {
      std::size_t end = below.find('\\', at);
      if (end == std::string::npos) end = below.size();
      const std::string name = below.substr(at, end - at);
      platform::HiveFile::Node child = hive->Child(node, name);
      if (!child) child = hive->AddChild(node, name);
      if (!child) {
        error = "hivex refused the key " + change.keyPath;
        return false;
      }
      node = child;
      at = end + 1;
    }
    if (change.kind != Kind::SetValue) continue;
    auto values = hive->Values(node).value_or(std::vector<platform::HiveFile::Value>{});
    platform::HiveFile::Value value{
        change.valueName, change.type, platform::HiveData(code, change.type, change.data), {}};
    bool replaced = false;
    for (platform::HiveFile::Value& old : values)
      if (code.EqualNoCase(old.name, value.name)) replaced = (old = value, true);
    if (!replaced) values.push_back(value);
    if (!hive->SetValues(node, values)) {
      error = "hivex refused the values of " + change.keyPath;
      return false;
    }
  }
  const std::string written = path + ".new";
  if (!hive->CommitTo(written) || std::rename(written.c_str(), path.c_str()) != 0) {
    error = "hivex cannot write " + path;
    return false;
  }
  return true;
}

std::map<std::string, std::string> HiveContents(const std::string& path) {
  std::map<std::string, std::string> contents;
  auto hive = platform::HiveFile::Open(path, platform::CodePage(1252), false, nullptr);
  if (!hive) return contents;
  std::vector<std::pair<platform::HiveFile::Node, std::string>> pending{{hive->Root(), ""}};
  while (!pending.empty()) {
    auto [node, name] = pending.back();
    pending.pop_back();
    contents[name] = "";
    for (const platform::HiveFile::Value& value :
         hive->Values(node).value_or(std::vector<platform::HiveFile::Value>{})) {
      std::string bytes = std::to_string(value.type) + ":";
      for (unsigned char byte : value.data) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x", byte);
        bytes += hex;
      }
      contents[name + "\\" + (value.name.empty() ? "@" : value.name)] = bytes;
    }
    for (platform::HiveFile::Node child :
         hive->Children(node).value_or(std::vector<platform::HiveFile::Node>{}))
      pending.emplace_back(child,
                           (name.empty() ? "" : name + "\\") + hive->Name(child).value_or("?"));
  }
  return contents;
}

}  // namespace testing_support
