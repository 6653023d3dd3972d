#include "scan/startup_inventory.h"

#include <cstdio>

#include "foundation/md5_text.h"
#include "scan/shortcut.h"

namespace scan {

using namespace platform;

namespace {

struct Location {
  const char* key;
  const char* filter;
};

constexpr Location kLocations[] = {
    {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce", ""},
    {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce", ""},
    {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices", ""},
    {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices", ""},
    {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", ""},
    {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx", ""},
    {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", ""},
    {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", ""},
    {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunEx", ""},
    {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunEx", ""},
    {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", ""},
    {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run",
     ""},
    {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run",
     ""},
    {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "Userinit"},
    {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "Shell"},
    {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify", ""},
    {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", "load"},
    {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", "run"},
    {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows",
     "AppInit_DLLs"},
    {"HKEY_LOCAL_"
     "MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad",
     ""},
    {"HKEY_LOCAL_"
     "MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler",
     ""},
    {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\OLE", ""},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\PROTOCOLS\\Filter\\text/html", ""},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\PROTOCOLS\\Filter\\text/plain", ""},
    {"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main", ""},
    {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer\\Main", ""},
    {"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Search", ""},
    {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer\\Search", ""},
    {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer\\SearchURL", ""},
    {"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\SearchURL", ""},
    {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer\\URLSearchHooks", ""},
    {"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\URLSearchHooks", ""},
    {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer\\Toolbar", ""},
    {"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Toolbar", ""},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\exefile\\shell\\open\\command", ""},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\comfile\\shell\\open\\command", ""},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\batfile\\shell\\open\\command", ""},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\piffile\\shell\\open\\command", ""},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\scrfile\\shell\\open\\command", ""},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\htafile\\shell\\open\\command", ""},
    {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
     "ProxyEnable"},
};
static_assert(std::size(kLocations) == 41);

constexpr DWORD kBufferSize = 0x3FFF;

// As PathGetCharTypeA tells: control characters and "<>|\"" cannot stand in a path.
bool IsPathText(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == '"' || c == '<' || c == '>' || c == '|') return false;
  }
  return true;
}

std::string DataText(DWORD type, const std::string& data) {
  if (type == REG_SZ) {
    std::string text = data.substr(0, data.find('\0'));
    std::erase(text, '"');
    return text;
  }
  if (type == REG_DWORD) {
    unsigned char bytes[4] = {};
    for (std::size_t i = 0; i < 4 && i < data.size(); ++i)
      bytes[i] = static_cast<unsigned char>(data[i]);
    char text[64];
    std::snprintf(text, sizeof text, "(DWORD) %#x %x %x %x", bytes[0], bytes[1], bytes[2],
                  bytes[3]);
    return text;
  }
  return {};
}

// The program file a value's data names: as it stands, cut after the first word holding a
// dot and unquoted, or found in a folder of the PATH (then also reported as the Path).
std::string LocateProgram(Machine& machine, const std::string& raw, const std::string& dataText,
                          std::string& foundOnPath) {
  Files& files = machine.files();
  if (!raw.empty() && files.PathFileExistsA(raw.c_str())) return raw;
  std::string cut = raw;
  if (std::size_t dot = cut.find('.'); dot != std::string::npos) {
    if (std::size_t blank = cut.find(' ', dot); blank != std::string::npos) cut.resize(blank);
  }
  if (cut.size() >= 2 && cut.front() == '"' && cut.back() == '"')
    cut = cut.substr(1, cut.size() - 2);
  if (!cut.empty() && files.PathFileExistsA(cut.c_str())) return cut;
  if (dataText.empty() || !IsPathText(dataText)) return {};
  const std::string path = machine.system().EnvironmentVariable("PATH").value_or("");
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t end = path.find(';', start);
    if (end == std::string::npos) end = path.size();
    std::string folder = path.substr(start, end - start);
    start = end + 1;
    if (folder.empty()) continue;
    std::string candidate = folder + "\\" + dataText;
    if (files.PathFileExistsA(candidate.c_str())) {
      foundOnPath = candidate;
      return candidate;
    }
  }
  return {};
}

}  // namespace

bool ListRegistryValues(Machine& machine, const std::string& location, const std::string& filter,
                        std::vector<std::string>& lines) {
  lines.clear();
  Registry& registry = machine.registry();
  std::size_t cut = location.find('\\');
  const std::string rootName = location.substr(0, cut);
  const std::string keyPath = cut == std::string::npos ? "" : location.substr(cut + 1);
  HKEY root = RootKeyFromName(rootName);
  HKEY key;
  if (!root || registry.RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  DWORD count = 0;
  registry.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                            nullptr, nullptr, nullptr, nullptr);
  lines.push_back("RootKey = \"" + rootName + "\" KeyPath = \"" + keyPath + "\"");
  bool anyValue = false;
  for (DWORD index = 0; index < count; ++index) {
    char name[kBufferSize];
    std::string data(kBufferSize, '\0');
    DWORD nameLength = sizeof name, type = 0, size = kBufferSize;
    LONG status = registry.RegEnumValueA(key, index, name, &nameLength, nullptr, &type,
                                         reinterpret_cast<BYTE*>(data.data()), &size);
    if (status != ERROR_SUCCESS) continue;
    data.resize(size);
    if (!filter.empty() && !machine.Code().EqualNoCase(name, filter)) continue;
    const std::string text = DataText(type, data);
    if (type == REG_SZ) {
      const std::string lower = machine.Code().Lower(text);
      if (lower == "yes" || lower == "no") continue;
    }
    std::string line = "Value = \"" + std::string(name) + "\" Data = \"" + text + "\"";
    std::string foundOnPath;
    const std::string raw = data.substr(0, data.find('\0'));
    const std::string program = LocateProgram(machine, raw, text, foundOnPath);
    if (!program.empty()) {
      auto digest = foundation::Md5OfFile(machine.files(), program);
      if (digest && !digest->empty())
        line += " MD5 = \"" + *digest + "\" Path = \"" + foundOnPath + "\"";
    }
    lines.push_back(std::move(line));
    anyValue = true;
  }
  registry.RegCloseKey(key);
  return anyValue;
}

std::string QuotedText(const std::string& line, std::size_t from) {
  const std::size_t open = line.find('"', from);
  if (open == std::string::npos) return {};
  const std::size_t close = line.find('"', open + 1);
  return close == std::string::npos ? std::string() : line.substr(open + 1, close - open - 1);
}

void WriteAutorunInventory(Machine& machine, const LineWriter& write) {
  std::vector<std::string> lines;
  for (const Location& location : kLocations) {
    if (!ListRegistryValues(machine, location.key, location.filter, lines)) continue;
    for (const std::string& line : lines) write("<Information " + line + "/>\n");
  }
}

void WriteStartupFolder(Machine& machine, const std::string& folder, const LineWriter& write) {
  Files& files = machine.files();
  const std::string pattern = folder + "\\*";
  WIN32_FIND_DATAA data;
  HANDLE find = files.FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = data.cFileName;
    if (name.empty() || name[0] == '.') continue;
    const std::string path = folder + "\\" + name;
    const std::string target = ResolveShortcut(machine, path);
    if (!target.empty()) {
      write("<Information Directory = \"" + pattern + "\" Program = \"" + name +
            "\" LinkFile = \"" + target + "\" MD5 = \"" +
            foundation::Md5OfFile(files, target).value_or("") + "\"/>\n");
    } else {
      write("<Information Directory = \"" + pattern + "\" Program = \"" + name + "\" MD5 = \"" +
            foundation::Md5OfFile(files, path).value_or("") + "\" />\n");
    }
  } while (files.FindNextFileA(find, &data));
  files.FindClose(find);
}

void WriteStartupFolders(Machine& machine, const LineWriter& write) {
  for (int folder : {CSIDL_STARTUP, CSIDL_COMMON_STARTUP}) {
    char path[MAX_PATH];
    if (machine.system().SHGetFolderPathA(nullptr, folder, nullptr, 0, path) == S_OK)
      WriteStartupFolder(machine, path, write);
  }
}

}  // namespace scan
