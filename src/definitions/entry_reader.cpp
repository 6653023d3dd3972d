// Reading one SW element of the definitions into a SpywareEntry.
#include <cstdlib>

#include "definitions/database_loader.h"

namespace definitions {

namespace {

// The decimal number the text starts with, as atoi reads it.
std::int32_t LeadingNumber(const std::string& text) {
  return static_cast<std::int32_t>(std::strtol(text.c_str(), nullptr, 10));
}

RootFlags KeyFlags(const platform::CodePage& codePage, const std::string& keyPath) {
  RootFlags flags{};
  std::size_t cut = keyPath.find('\\');
  if (cut == std::string::npos) return flags;
  std::string first = keyPath.substr(0, cut);
  for (const char* name : {"CLSID", "Interface", "TypeLib"}) {
    if (codePage.EqualNoCase(first, name)) flags[2] = 1;
  }
  for (const char* name : {"SOFTWARE", "SYSTEM"}) {
    if (codePage.EqualNoCase(first, name)) flags[1] = flags[3] = 1;
  }
  return flags;
}

constexpr RootFlags kValueFlags = {0, 1, 0, 1};

// Splits "key\name" at its last backslash when that is not the first character.
void SplitValuePath(const std::string& text, std::string& keyPath, std::string& valueName) {
  std::size_t cut = text.rfind('\\');
  if (cut != std::string::npos && cut > 0) {
    keyPath = text.substr(0, cut);
    valueName = text.substr(cut + 1);
  }
}

}  // namespace

void DatabaseLoader::ReadEntry() {
  const platform::CodePage& codePage = machine_.Code();
  platform::Files& files = machine_.files();
  foundation::MarkupDocument& document = document_;
  auto entry = std::make_unique<SpywareEntry>();
  entry->name = document.GetChildAttribute("NAME");
  document.IntoElement();
  // Each child is searched from the last one found, so they are seen only in this order.
  if (document.FindChildElement("CATEGORY")) entry->category = document.GetChildAttribute("NAME");

  auto group = [&](const char* groupName, const char* itemName, auto fill) {
    if (!document.FindChildElement(groupName)) return;
    document.IntoElement();
    while (document.FindChildElement(itemName)) fill();
    document.OutOfElement();
  };
  auto lower = [&](const std::string& text) { return codePage.Lower(text); };
  auto attribute = [&](const char* name) { return document.GetChildAttribute(name); };

  group("DIRECTORIES", "DIR",
        [&] { entry->folders.push_back({macros_.ExpandPaths(lower(attribute("NAME")))}); });
  group("PROCESSES", "PROCESS", [&] {
    entry->processes.push_back({attribute("NAME"), attribute("MD5")});
  });
  group("FILES", "FILE", [&] {
    FileTrace file;
    file.path = attribute("NAME");
    if (file.path.empty()) {
      file.path = attribute("PATH");
      file.size = LeadingNumber(attribute("SIZE"));
    }
    file.path = macros_.ExpandPaths(lower(file.path));
    // An absolute path that does not exist now is never looked for.
    if (file.path.find_first_of("*?") != std::string::npos ||
        files.PathFileExistsA(file.path.c_str()) || file.path.find(':') == std::string::npos)
      entry->files.push_back(std::move(file));
  });
  group("REGKEYS", "REGKEY", [&] {
    RegistryKeyTrace key;
    key.keyPath = macros_.ExpandRegistry(lower(attribute("NAME")));
    key.flags = KeyFlags(codePage, key.keyPath);
    entry->registryKeys.push_back(std::move(key));
  });
  group("REGVALUES", "REGVALUE", [&] {
    RegistryValueTrace value;
    std::string text = macros_.ExpandRegistry(macros_.ExpandPaths(lower(attribute("NAME"))));
    std::size_t marker = text.find(":@:");
    if (marker != std::string::npos && marker > 0) {
      value.expectedData = text.substr(marker + 3);
      text.resize(marker);
    }
    value.fullText = text;
    SplitValuePath(text, value.keyPath, value.valueName);
    value.flags = kValueFlags;
    entry->registryValues.push_back(std::move(value));
  });
  group("REGVALUESCHANGED", "REGVALUECHANGED", [&] {
    std::string text = attribute("NAME");
    const bool nineX = osIdentifier_.rfind("OS_WIN9", 0) == 0;
    if (text.rfind("%9x", 0) == 0 || text.rfind("%nt", 0) == 0) {
      if ((text[1] == '9') != nineX) return;  // not for this system
      text = text.size() > 5 ? text.substr(5) : std::string();
    }
    ChangedValueTrace value;
    text = macros_.ExpandRegistry(lower(text));
    SplitValuePath(text, value.keyPath, value.valueName);
    const std::string oldValue = attribute("OLDVALUE");
    value.lowerOldValue = macros_.ExpandRegistry(macros_.ExpandPaths(lower(oldValue)));
    value.fullText = text + "\\" + value.lowerOldValue;
    value.oldValue = macros_.ExpandRegistry(macros_.ExpandPaths(oldValue));
    value.newValue = macros_.ExpandRegistry(macros_.ExpandPaths(attribute("NEWVALUE")));
    value.flags = kValueFlags;
    entry->changedValues.push_back(std::move(value));
  });
  group("HOSTS", "HOST", [&] { entry->hosts.push_back({attribute("NAME")}); });

  // assign, not = " ": GCC 12 at -O3 reports a false overlapping copy for the latter.
  entry->danger.assign(1, ' ');
  if (document.FindChildElement("DANGER")) entry->danger += attribute("NAME");
  if (document.FindChildElement("DESCRIPTION")) {
    entry->description = attribute("NAME");
    entry->url = attribute("url");
  } else {
    entry->description = kNoDescription;
  }
  if (document.FindChildElement("CLEANINGSCRIPTREFERENCE"))
    entry->cleaningScriptReference = attribute("NAME");
  document.OutOfElement();
  database_.AddEntry(std::move(entry));
}

}  // namespace definitions
