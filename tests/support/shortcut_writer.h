// Writes shell shortcut (".lnk") files for tests, in the layout of [MS-SHLLINK]: a header,
// then the parts a test asks for of the target's item list, the link information, the
// relative path and the command line, and extra data, well formed or damaged as real
// shortcuts are.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// The smallest form a shortcut reader resolves: a link information with the target's local
// path.
std::string ShortcutBytes(const std::string& targetPath);

// Items of a target's item list: My Computer, a drive ("C:\"), and a file or folder with its
// short name and, when one is given, its long name in a file entry extension block (of
// version 3, as Windows XP writes it).
std::string MyComputerItem();
std::string DriveItem(char letter);
std::string FileItem(const std::string& shortName, const std::u16string& longName = u"",
                     bool folder = false);

struct ShortcutParts {
  std::vector<std::string> items;  // the target's item list; none when empty
  // The link information, when either path is given: the local base path (ANSI, and in
  // UTF-16 when given), the network share ("\\server\share") and the common path suffix.
  std::optional<std::string> localPath;
  std::optional<std::u16string> localPathUnicode;
  std::optional<std::string> shareName;
  std::string pathSuffix;
  std::optional<std::u16string> relativePath;
  std::u16string arguments;  // the command line, none when empty
  // Damage as some real shortcuts have it: a command line whose count claims more
  // characters than the file holds (a padded command line cut short), and an extra data
  // block whose size runs past the end of the file.
  bool argumentsCut = false;
  bool oversizedExtraBlock = false;
};
std::string ShortcutBytes(const ShortcutParts& parts);

}  // namespace testing_support
