#include "definitions/definition_database.h"

namespace definitions {

namespace {

constexpr std::size_t kLongestKey = 259;

std::string_view KeyOf(const std::string& text) {
  return std::string_view(text).substr(0, kLongestKey);
}

}  // namespace

void DefinitionDatabase::Clear() {
  fileTable_.clear();
  digestTable_.clear();
  folderTable_.clear();
  composedKeys_.clear();
  entries_.clear();
  scripts_.clear();
  registryItemCount_ = 0;
  version.clear();
  date.clear();
}

void DefinitionDatabase::AddEntry(std::unique_ptr<SpywareEntry> entry) {
  registryItemCount_ += static_cast<int>(entry->registryKeys.size() + entry->registryValues.size());
  for (const FileTrace& file : entry->files) {
    // A bare file name matches in any folder.
    const std::string* key = &file.path;
    if (file.path.find('\\') == std::string::npos)
      key = &composedKeys_.emplace_back("*\\" + file.path);
    fileTable_.push_back({KeyOf(*key), entry.get(), &file});
  }
  for (const ProcessTrace& process : entry->processes)
    digestTable_.push_back({KeyOf(process.digest), entry.get(), &process});
  for (const FolderTrace& folder : entry->folders)
    folderTable_.push_back({KeyOf(folder.path), entry.get(), &folder});
  entries_.push_back(std::move(entry));
}

const CleaningScript* DefinitionDatabase::FindScript(const std::string& name) const {
  for (const CleaningScript& script : scripts_) {
    if (script.name == name) return &script;
  }
  return nullptr;
}

}  // namespace definitions
