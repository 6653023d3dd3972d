// The three registry phases of a scan and their tests.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "scan/scan_engine.h"

namespace scan {
namespace {

using platform::HKEY;

const HKEY kKeyRoots[] = {platform::HKEY_CLASSES_ROOT, platform::HKEY_CURRENT_USER,
                          platform::HKEY_LOCAL_MACHINE, platform::HKEY_USERS};
const HKEY kValueRoots[] = {platform::HKEY_CURRENT_USER, platform::HKEY_LOCAL_MACHINE};
constexpr platform::DWORD kValueBufferSize = 1024;

// "<SW NAME = ...>" groups of one phase: a group opens with the first hit of an entry and
// closes when another entry has a hit or the phase ends.
class EntryGroups {
 public:
  explicit EntryGroups(const std::function<void(const std::string&)>& logLine)
      : logLine_(logLine) {}
  void Hit(const definitions::SpywareEntry& entry) {
    if (open_ == &entry) return;
    if (open_) logLine_("</SW>");
    logLine_("<SW NAME = \"" + entry.name + "\">");
    open_ = &entry;
  }
  void Close() {
    if (open_) logLine_("</SW>");
    open_ = nullptr;
  }

 private:
  const std::function<void(const std::string&)>& logLine_;
  const definitions::SpywareEntry* open_ = nullptr;
};

// The value's data as a zero-terminated text, its type, from a zeroed 1024-byte buffer.
bool QueryValue(platform::Registry& registry, HKEY root, const std::string& keyPath,
                const std::string& valueName, std::string& data, platform::DWORD& type) {
  HKEY key = nullptr;
  if (registry.RegOpenKeyExA(root, keyPath.c_str(), 0, platform::KEY_ALL_ACCESS, &key) !=
      platform::ERROR_SUCCESS)
    return false;
  char buffer[kValueBufferSize + 1] = {};
  platform::DWORD size = kValueBufferSize;
  const bool ok = registry.RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                                            reinterpret_cast<platform::BYTE*>(buffer),
                                            &size) == platform::ERROR_SUCCESS;
  registry.RegCloseKey(key);
  if (ok) data.assign(buffer, std::strlen(buffer));
  return ok;
}

}  // namespace

std::string DecodePercentEscapes(const std::string& text) {
  std::string decoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    if (i + 1 >= text.size()) break;
    if (i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      decoded += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    }
  }
  return decoded;
}

bool ScanEngine::RegistryKeyExists(const definitions::RegistryKeyTrace& trace) {
  // An empty path (or one of backslashes only) would open the root itself.
  if (trace.keyPath.find_first_not_of('\\') == std::string::npos) return false;
  platform::Registry& registry = machine_.registry();
  for (HKEY root : kKeyRoots) {
    ++counters_.objectsExamined;
    HKEY key = nullptr;
    if (registry.RegOpenKeyExA(root, trace.keyPath.c_str(), 0, platform::KEY_ALL_ACCESS, &key) ==
        platform::ERROR_SUCCESS) {
      registry.RegCloseKey(key);
      return true;
    }
  }
  return false;
}

bool ScanEngine::RegistryValueMatches(const definitions::RegistryValueTrace& trace) {
  const platform::CodePage& code = machine_.Code();
  for (HKEY root : kValueRoots) {
    ++counters_.objectsExamined;
    std::string data;
    platform::DWORD type = 0;
    if (!QueryValue(machine_.registry(), root, trace.keyPath, trace.valueName, data, type))
      continue;
    if (trace.expectedData.empty()) return true;
    const std::string expected = code.Lower(trace.expectedData);
    if (code.Lower(data) == expected || code.Lower(DecodePercentEscapes(data)) == expected)
      return true;
  }
  return false;
}

bool ScanEngine::ChangedValueMatches(definitions::ChangedValueTrace& trace) {
  const platform::CodePage& code = machine_.Code();
  for (HKEY root : kValueRoots) {
    ++counters_.objectsExamined;
    std::string data;
    platform::DWORD type = 0;
    if (!QueryValue(machine_.registry(), root, trace.keyPath, trace.valueName, data, type))
      continue;
    const std::string lowerData = code.Lower(data);
    std::string expected = trace.lowerOldValue;
    if (expected.compare(0, 3, "~~~") == 0) {
      // The substring form: the trace takes the data it was found with.
      const std::string pattern = expected;
      expected.erase(0, expected.find_first_not_of('~'));
      if (lowerData.find(expected) != std::string::npos) {
        trace.lowerOldValue = lowerData;
        trace.oldValue = lowerData;
        while (!trace.fullText.empty() && pattern.find(trace.fullText.back()) != std::string::npos)
          trace.fullText.pop_back();
        trace.fullText += trace.lowerOldValue;
        expected = lowerData;
      }
    }
    expected = code.Lower(expected);
    if (lowerData == expected || code.Lower(DecodePercentEscapes(data)) == expected) return true;
    if (type == platform::REG_DWORD) {
      const long number = std::atol(expected.c_str());
      if (static_cast<unsigned char>(number & 0xFF) == static_cast<signed char>(data[0]))
        return true;
    }
  }
  return false;
}

template <typename Trace, typename ItemText, typename Test, typename Report>
void ScanEngine::RegistryPhase(const char* element,
                               std::vector<Trace> definitions::SpywareEntry::*traces,
                               bool abortPerTrace, ItemText itemText, Test test, Report report) {
  LogLine("<" + std::string(element) + ">");
  Phase(ScanPhase::Registry);
  EntryGroups groups(host_.logLine);
  for (const auto& entry : database_.Entries()) {
    if (abort_) break;
    for (Trace& trace : (*entry).*traces) {
      if (abortPerTrace && abort_) break;
      SetItemText(itemText(trace));
      if (!test(trace)) {
        trace.found = false;
        continue;
      }
      entry->found = 1;
      trace.found = true;
      groups.Hit(*entry);
      report(trace, *entry);
    }
  }
  groups.Close();
  LogLine("</" + std::string(element) + ">");
}

void ScanEngine::ScanRegistryKeys() {
  RegistryPhase(
      "ScanningRegKeys", &definitions::SpywareEntry::registryKeys, true,
      [](const auto& trace) { return trace.keyPath; },
      [this](const auto& trace) { return RegistryKeyExists(trace); },
      [this](const auto& trace, const definitions::SpywareEntry& entry) {
        LogLine("<REGKEYFOUND NAME = \"" + trace.keyPath + "\"/>");
        if (AddFoundItem(trace.keyPath, entry, FoundItemKind::RegistryKey))
          ++counters_.keysAndHostsFound;
      });
}

void ScanEngine::ScanRegistryValues() {
  RegistryPhase(
      "ScanningRegValues", &definitions::SpywareEntry::registryValues, false,
      [](const auto& trace) { return trace.keyPath; },
      [this](const auto& trace) { return RegistryValueMatches(trace); },
      [this](const auto& trace, const definitions::SpywareEntry& entry) {
        const std::string text = trace.expectedData.empty()
                                     ? trace.fullText
                                     : trace.fullText + ":@:" + trace.expectedData;
        if (AddFoundItem(text, entry, FoundItemKind::RegistryValue)) {
          LogLine("<REGVALUEFOUND NAME = \"" + text + "\"/>");
          ++counters_.valuesFound;
        }
      });
}

void ScanEngine::ScanChangedValues() {
  RegistryPhase(
      "ScanningRegValuesChanged", &definitions::SpywareEntry::changedValues, false,
      [](const auto& trace) { return trace.fullText; },
      [this](auto& trace) { return ChangedValueMatches(trace); },
      [this](const auto& trace, const definitions::SpywareEntry& entry) {
        const std::string text = trace.fullText + ":@:" + trace.lowerOldValue;
        if (AddFoundItem(text, entry, FoundItemKind::ChangedRegistryValue)) {
          LogLine("<REGVALUECHANGEDFOUND NAME = \"" + text + "\"/>");
          ++counters_.valuesFound;
        }
      });
}

}  // namespace scan
