#include "definitions/definition_database.h"

namespace definitions {

namespace {

constexpr std::size_t kLongestKey = 259;

std::string Key(std::string text) {
  if (text.size() > kLongestKey) text.resize(kLongestKey);
  return text;
}

}  // namespace

void DefinitionDatabase::Clear() {
  fileTable_.clear();
  digestTable_.clear();
  folderTable_.clear();
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
    std::string key = file.path.find('\\') != std::string::npos ? file.path : "*\\" + file.path;
    fileTable_.push_back({Key(std::move(key)), entry.get(), &file});
  }
  for (const ProcessTrace& process : entry->processes)
    digestTable_.push_back({Key(process.digest), entry.get(), &process});
  for (const FolderTrace& folder : entry->folders)
    folderTable_.push_back({Key(folder.path), entry.get(), &folder});
  entries_.push_back(std::move(entry));
}

const CleaningScript* DefinitionDatabase::FindScript(const std::string& name) const {
  for (const CleaningScript& script : scripts_) {
    if (script.name == name) return &script;
  }
  return nullptr;
}

}  // namespace definitions
