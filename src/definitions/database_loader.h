// Loading "database.db" into a DefinitionDatabase: the file is read and unpacked, its text
// parsed, and only then is the database emptied and filled, so that a file that cannot be
// read leaves the previous definitions in place.
#pragma once

#include <string>

#include "definitions/database_file.h"
#include "definitions/definition_database.h"
#include "definitions/path_macros.h"
#include "foundation/markup_document.h"
#include "platform/machine.h"

namespace definitions {

inline constexpr const char* kDatabaseFileName = "database.db";

enum class LoadError {
  None,
  Missing,
  Unreadable,
  ShortHeader,
  TooLong,
  NotCompressed,
  NotWellFormed
};

const char* DescribeLoadError(LoadError error);

class DatabaseLoader {
 public:
  // programFolder ends with a backslash; cleaning scripts are installed below it.
  DatabaseLoader(platform::Machine& machine, std::string programFolder,
                 DefinitionDatabase& database);

  // Reads the database file at a path of the machine. True on success.
  bool Load(const std::string& path);
  // The same for the bytes of such a file.
  bool LoadBytes(const std::string& fileBytes);

  // Why the last load failed, for tools; the program shows no detail.
  LoadError Error() const { return error_; }

 private:
  bool LoadText(std::string text);
  void ReadEntry();
  void ReadScript();
  bool InstallScriptFile(const std::string& folder, const std::string& name,
                         const std::string& content);

  platform::Machine& machine_;
  std::string programFolder_;
  DefinitionDatabase& database_;
  foundation::MarkupDocument document_;
  PathMacros macros_;
  std::string osIdentifier_;
  LoadError error_ = LoadError::None;
};

}  // namespace definitions
