// Shortcuts of a machine image: read with liblnk, and with the image's own reader of the link
// layout (shortcut_layout.h) where liblnk cannot give what the file holds: a file it refuses
// (a string or an extra data block that runs past the end of the file), or a text it cannot
// convert (an unpaired UTF-16 surrogate, which liblnk turns into U+FFFD together with the
// character after it).
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include <liblnk.h>

#include "platform/image/host_calls.h"
#include "platform/image/image_shell.h"
#include "platform/image/shell_item_path.h"
#include "platform/image/shortcut_layout.h"
#include "platform/windows_path.h"

namespace platform {

namespace {

// A shortcut holds a few paths and names; a larger file is refused unread.
constexpr std::size_t kLargestShortcut = 1 << 20;

// The places where a shortcut names its target, as texts in the machine's code page; each
// absent (or empty) when the shortcut has none.
struct TargetTexts {
  std::optional<std::string> localPath;     // link information: local base path and suffix
  std::optional<std::string> networkPath;   // link information: share name and suffix
  std::string itemIdList;                   // the target's shell item identifier list
  std::optional<std::string> relativePath;  // relative to the shortcut's own folder
};

std::optional<std::string> ReadShortcutFile(const std::string& hostPath) {
  const int fd = Host().open(hostPath.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  char buffer[1 << 16];
  ssize_t got;
  while ((got = Host().read(fd, buffer, sizeof buffer)) > 0 && bytes.size() <= kLargestShortcut)
    bytes.append(buffer, static_cast<std::size_t>(got));
  close(fd);
  if (got < 0 || bytes.size() > kLargestShortcut) return std::nullopt;
  return bytes;
}

// The text in the code page when every character has a form there: converted back, it is
// the same text.
std::optional<std::string> Cleanly(const CodePage& codePage, std::u16string_view text) {
  std::string narrow = codePage.FromUtf16(text);
  if (codePage.ToUtf16(narrow) != text) return std::nullopt;
  return narrow;
}

// A text of the link information in the machine's code page: its UTF-16 form where the file
// has one that converts cleanly (the link may come from a machine of another code page),
// else its ANSI form as stored, which keeps every character that the system that wrote it
// could give.
std::string Narrow(const CodePage& codePage, const StoredText& text) {
  if (text.utf16) {
    std::string narrow = codePage.FromUtf16Bytes(*text.utf16);
    if (codePage.ToUtf16Bytes(narrow) == *text.utf16) return narrow;
  }
  return text.ansi;
}

bool EndsWithBackslash(const CodePage& codePage, std::string_view text) {
  std::size_t last = text.size();
  for (std::size_t at = 0; at < text.size(); at += codePage.CharLength(text, at)) last = at;
  return last + 1 == text.size() && text[last] == '\\';
}

// A base path and the common path suffix, with a backslash between them.
std::string Joined(const CodePage& codePage, std::string base, const std::string& suffix) {
  if (suffix.empty()) return base;
  if (!base.empty() && !EndsWithBackslash(codePage, base)) base += '\\';
  return base + suffix;
}

TargetTexts LayoutTexts(const CodePage& codePage, const ShortcutLayout& layout) {
  TargetTexts texts;
  const std::string suffix =
      layout.commonPathSuffix ? Narrow(codePage, *layout.commonPathSuffix) : std::string();
  if (layout.localBasePath)
    texts.localPath = Joined(codePage, Narrow(codePage, *layout.localBasePath), suffix);
  if (layout.netName)
    texts.networkPath = Joined(codePage, Narrow(codePage, *layout.netName), suffix);
  texts.itemIdList = layout.itemIdList;
  if (layout.relativePath) {
    texts.relativePath = layout.unicodeStrings ? codePage.FromUtf16Bytes(*layout.relativePath)
                                               : *layout.relativePath;
  }
  return texts;
}

// One text of liblnk, as UTF-16.
using SizeGetter = int (*)(liblnk_file_t*, std::size_t*, liblnk_error_t**);
using TextGetter = int (*)(liblnk_file_t*, std::uint16_t*, std::size_t, liblnk_error_t**);
std::optional<std::u16string> LibraryText(liblnk_file_t* link, SizeGetter size, TextGetter get) {
  std::size_t units = 0;
  if (size(link, &units, nullptr) != 1 || units == 0) return std::nullopt;
  std::vector<std::uint16_t> buffer(units);
  if (get(link, buffer.data(), buffer.size(), nullptr) != 1) return std::nullopt;
  return std::u16string(buffer.begin(), std::find(buffer.begin(), buffer.end(), 0));
}

// The texts as liblnk reads them from the file, each only where it converts cleanly; nothing
// when liblnk refuses the file. (liblnk reads the file itself: Debian's libbfio copies past
// the end of a memory range when a part of the file claims more bytes than it holds.)
std::optional<TargetTexts> LibraryTexts(const CodePage& codePage, const std::string& hostPath) {
  liblnk_file_t* link = nullptr;
  if (liblnk_file_initialize(&link, nullptr) != 1) return std::nullopt;
  std::optional<TargetTexts> texts;
  if (liblnk_file_open(link, hostPath.c_str(), LIBLNK_OPEN_READ, nullptr) == 1) {
    texts.emplace();
    std::size_t size = 0;
    if (liblnk_file_get_link_target_identifier_data_size(link, &size, nullptr) == 1 && size > 0) {
      std::vector<std::uint8_t> list(size);
      if (liblnk_file_copy_link_target_identifier_data(link, list.data(), list.size(), nullptr) ==
          1)
        texts->itemIdList.assign(list.begin(), list.end());
    }
    // liblnk decodes ANSI texts in a code page it is told; without the machine's, only the
    // item list is taken from it.
    if (liblnk_file_set_ascii_codepage(link, static_cast<int>(codePage.Number()), nullptr) == 1) {
      auto clean = [&](SizeGetter sizeOf, TextGetter get) -> std::optional<std::string> {
        const auto text = LibraryText(link, sizeOf, get);
        return text ? Cleanly(codePage, *text) : std::nullopt;
      };
      texts->localPath =
          clean(liblnk_file_get_utf16_local_path_size, liblnk_file_get_utf16_local_path);
      texts->networkPath =
          clean(liblnk_file_get_utf16_network_path_size, liblnk_file_get_utf16_network_path);
      texts->relativePath =
          clean(liblnk_file_get_utf16_relative_path_size, liblnk_file_get_utf16_relative_path);
    }
    liblnk_file_close(link, nullptr);
  }
  liblnk_file_free(&link, nullptr);
  return texts;
}

bool Given(const std::optional<std::string>& text) {
  return text && !text->empty();
}

}  // namespace

std::string ImageShell::ShortcutTarget(const std::string& path) {
  const CodePage& codePage = files_.Code();
  auto host = files_.HostPathOf(path);
  if (!host) return {};
  const auto bytes = ReadShortcutFile(*host);
  if (!bytes) return {};
  const auto layout = ReadShortcutLayout(*bytes);
  if (!layout) return {};

  // liblnk's texts where it has them, the layout's where it has not.
  TargetTexts texts = LayoutTexts(codePage, *layout);
  if (auto library = LibraryTexts(codePage, *host)) {
    if (library->localPath) texts.localPath = std::move(library->localPath);
    if (library->networkPath) texts.networkPath = std::move(library->networkPath);
    if (!library->itemIdList.empty()) texts.itemIdList = std::move(library->itemIdList);
    if (library->relativePath) texts.relativePath = std::move(library->relativePath);
  }
  if (layout->linkFlags & kForceNoLinkInfo) {
    texts.localPath.reset();
    texts.networkPath.reset();
  }

  // The link information's local path, then its network path (the "\\server\share" form
  // that GetPath's SLGP_UNCPRIORITY asks for), then the item list, then the relative path.
  if (Given(texts.localPath)) return *texts.localPath;
  if (Given(texts.networkPath)) return *texts.networkPath;
  if (auto listed = ItemIdListPath(codePage, texts.itemIdList)) return *listed;
  if (Given(texts.relativePath)) {
    char full[MAX_PATH];
    std::string folder, target;
    const DWORD length = files_.GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (length > 0 && length < sizeof full &&
        MakeFullPath(codePage, "..", full, folder) == ERROR_SUCCESS &&
        MakeFullPath(codePage, *texts.relativePath, folder, target) == ERROR_SUCCESS)
      return target;
  }
  return {};
}

}  // namespace platform
