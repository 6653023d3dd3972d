#include "vxdb/publish.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "foundation/md5_text.h"

namespace vxdb {
namespace {

namespace fs = std::filesystem;

// Characters an address may carry as they are; the others are escaped as %XX.
bool Plain(unsigned char c) {
  return std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

std::string Escaped(const std::string& name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char c : name) {
    if (Plain(c)) {
      text += static_cast<char>(c);
    } else {
      text += '%';
      text += kHex[c >> 4];
      text += kHex[c & 15];
    }
  }
  return text;
}

bool EndsWithZip(const std::string& name) {
  if (name.size() < 4) return false;
  std::string end = name.substr(name.size() - 4);
  std::transform(end.begin(), end.end(), end.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return end == ".zip";
}

}  // namespace

std::optional<std::string> UpdateListFor(const PublishOptions& options, std::string* error) {
  double version = 0;
  const auto [end, problem] = std::from_chars(
      options.version.data(), options.version.data() + options.version.size(), version);
  if (problem != std::errc() || end != options.version.data() + options.version.size() ||
      !std::isfinite(version) || version <= 0) {
    if (error) *error = "the version must be a positive decimal number: " + options.version;
    return std::nullopt;
  }
  std::error_code failure;
  std::vector<fs::path> files;
  for (const auto& item : fs::directory_iterator(options.folder, failure))
    if (item.is_regular_file()) files.push_back(item.path());
  if (failure) {
    if (error) *error = "cannot read " + options.folder + ": " + failure.message();
    return std::nullopt;
  }
  std::sort(files.begin(), files.end());
  std::string base = options.baseUrl;
  if (!base.empty() && base.back() != '/') base += '/';
  std::string list = options.version + "\n" + std::to_string(files.size()) + "\n" +
                     (options.restart ? "1" : "0") + "\n";
  for (const fs::path& file : files) {
    const std::string name = file.filename().string();
    if (name.find_first_of("\t\r\n") != std::string::npos) {
      if (error) *error = "a file name holds a tab or a line end: " + name;
      return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
      if (error) *error = "cannot read " + file.string();
      return std::nullopt;
    }
    list += name + "\t" + foundation::Sha256OfText(bytes) + "\t" + std::to_string(bytes.size()) +
            "\t" + base + Escaped(name) + "\t" + (EndsWithZip(name) ? "1" : "0") + "\t0\n";
  }
  return list;
}

}  // namespace vxdb
