#include "definitions/database_loader.h"

#include <new>

#include "foundation/os_identity.h"
#include "foundation/out_of_memory.h"
#include "foundation/whole_file.h"

namespace definitions {

namespace {

// The container's failures, as the loader reports them.
LoadError LoadErrorOf(DatabaseFileError error) {
  switch (error) {
    case DatabaseFileError::None:
      return LoadError::None;
    case DatabaseFileError::Unreadable:
      return LoadError::Unreadable;
    case DatabaseFileError::ShortHeader:
      return LoadError::ShortHeader;
    case DatabaseFileError::TooLong:
      return LoadError::TooLong;
    case DatabaseFileError::NotCompressed:
      break;
  }
  return LoadError::NotCompressed;
}

}  // namespace

const char* DescribeLoadError(LoadError error) {
  switch (error) {
    case LoadError::Missing:
      return "the file does not exist";
    case LoadError::NotWellFormed:
      return "the text is not well-formed markup";
    case LoadError::None:
      return DescribeDatabaseFileError(DatabaseFileError::None);
    case LoadError::Unreadable:
      return DescribeDatabaseFileError(DatabaseFileError::Unreadable);
    case LoadError::ShortHeader:
      return DescribeDatabaseFileError(DatabaseFileError::ShortHeader);
    case LoadError::TooLong:
      return DescribeDatabaseFileError(DatabaseFileError::TooLong);
    case LoadError::NotCompressed:
      break;
  }
  return DescribeDatabaseFileError(DatabaseFileError::NotCompressed);
}

DatabaseLoader::DatabaseLoader(platform::Machine& machine, std::string programFolder,
                               DefinitionDatabase& database)
    : machine_(machine),
      programFolder_(std::move(programFolder)),
      database_(database),
      document_(machine.Code()),
      macros_(machine.Code()) {}

bool DatabaseLoader::Load(const std::string& path) {
  try {
    std::optional<std::string> bytes = foundation::ReadWholeFile(machine_.files(), path);
    if (!bytes) {
      error_ = platform::GetLastError() == platform::ERROR_FILE_NOT_FOUND ? LoadError::Missing
                                                                          : LoadError::Unreadable;
      return false;
    }
    return LoadBytes(*bytes);
  } catch (const std::bad_alloc&) {
    foundation::OutOfMemory();
  }
}

bool DatabaseLoader::LoadBytes(const std::string& fileBytes) {
  try {
    std::string servicePack;
    osIdentifier_ = foundation::OsIdentifier(machine_.system(), servicePack);
    std::string text;
    if (DatabaseFileError error = UnpackDatabaseText(fileBytes, text);
        error != DatabaseFileError::None) {
      error_ = LoadErrorOf(error);
      return false;
    }
    return LoadText(std::move(text));
  } catch (const std::bad_alloc&) {
    foundation::OutOfMemory();
  }
}

bool DatabaseLoader::LoadText(std::string text) {
  // The document takes the text over: the definitions are large, and this is their only copy.
  if (!document_.SetDocument(std::move(text))) {
    error_ = LoadError::NotWellFormed;
    return false;
  }
  error_ = LoadError::None;
  database_.Clear();
  macros_.Fill(machine_.system());
  if (!document_.FindElement("NA")) return true;  // an empty database
  database_.version = document_.GetAttribute("VERSION");
  database_.date = document_.GetAttribute("DATE");
  while (document_.FindChildElement("SW")) ReadEntry();
  // Scripts are read from the last entry on: one that stands between entries is not seen.
  while (document_.FindChildElement("CLEANINGSCRIPT")) ReadScript();
  return true;
}

}  // namespace definitions
