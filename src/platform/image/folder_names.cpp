#include "platform/image/folder_names.h"

#include <dirent.h>
#include <pthread.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/image/folder_watch.h"

namespace platform {

namespace {

// Well above the granularity of the kernel's coarse clock that stamps folder changes.
constexpr long long kSettledNanoseconds = 200'000'000;
// Past this many names kept, the listings start again.
constexpr std::size_t kMostNames = 200'000;
// Past this many watched folders, listings are kept by their change times alone: each watch
// costs the kernel memory, and a user's watches are limited.
constexpr std::size_t kMostWatches = 4'000;

long long Nanoseconds(const timespec& time) {
  return static_cast<long long>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

struct Listing {
  dev_t device = 0;
  ino_t inode = 0;
  long long changed = 0, modified = 0;
  unsigned codePage = 0;
  // While watched, the folder's events keep the names right, whatever its times say.
  int watch = -1;
  // Lower-cased name -> the real names with it, in byte order.
  std::unordered_map<std::string, std::vector<std::string>> byLower;
  std::size_t names = 0;

  bool Describes(const struct stat& folder, unsigned code) const {
    if (device != folder.st_dev || inode != folder.st_ino || codePage != code) return false;
    return watch >= 0 ||
           (changed == Nanoseconds(folder.st_ctim) && modified == Nanoseconds(folder.st_mtim));
  }

  void Add(const CodePage& code, std::string_view name) {
    std::vector<std::string>& reals = byLower[code.Lower(name)];
    auto place = std::lower_bound(reals.begin(), reals.end(), name);
    if (place != reals.end() && *place == name) return;
    reals.insert(place, std::string(name));
    ++names;
  }

  void Remove(const CodePage& code, std::string_view name) {
    auto found = byLower.find(code.Lower(name));
    if (found == byLower.end()) return;
    std::vector<std::string>& reals = found->second;
    auto place = std::find(reals.begin(), reals.end(), name);
    if (place == reals.end()) return;
    reals.erase(place);
    --names;
    if (reals.empty()) byLower.erase(found);
  }
};

KeptName Find(const Listing& listing, const CodePage& codePage, const std::string& name) {
  auto found = listing.byLower.find(codePage.Lower(name));
  if (found == listing.byLower.end()) return {KeptName::State::Absent, {}};
  return {found->second.size() > 1 ? KeptName::State::Several : KeptName::State::Alone,
          found->second.front()};
}

class KeptListings {
 public:
  std::mutex lock;  // guards everything here

  // The listing of the folder as of the last events taken; null when none is kept or the one
  // kept does not describe the folder as it is.
  const Listing* Known(const std::string& hostFolder, const struct stat& folderFacts,
                       unsigned codePage) {
    auto known = listings_.find(hostFolder);
    if (known == listings_.end() || !known->second.Describes(folderFacts, codePage)) return nullptr;
    return &known->second;
  }

  // Reads the folder and keeps its names when that is safe: watched from before the reading,
  // so that no later change is missed, or else settled well before the reading began. Returns
  // what the folder says of `name`; empty when it cannot be read.
  std::optional<KeptName> Read(const CodePage& codePage, const std::string& hostFolder,
                               const struct stat& folderFacts, const std::string& name) {
    Forget(hostFolder);
    if (namesKept_ > kMostNames) ForgetAll();
    const int watch = !timesOnly_ && watched_ < kMostWatches ? watch_.Add(hostFolder) : -1;
    timespec began;
    clock_gettime(CLOCK_REALTIME, &began);
    Listing listing;
    listing.device = folderFacts.st_dev;
    listing.inode = folderFacts.st_ino;
    listing.changed = Nanoseconds(folderFacts.st_ctim);
    listing.modified = Nanoseconds(folderFacts.st_mtim);
    listing.codePage = codePage.Number();
    DIR* folder = opendir(hostFolder.c_str());
    if (folder) {
      while (dirent* entry = readdir(folder)) listing.Add(codePage, entry->d_name);
      closedir(folder);
    }
    const long long settled = Nanoseconds(began) - kSettledNanoseconds;
    const bool keep =
        folder && (watch >= 0 || (listing.changed < settled && listing.modified < settled));
    if (!keep) {
      if (watch >= 0 && !foldersOfWatch_.count(watch)) watch_.Remove(watch);
      return folder ? std::optional(Find(listing, codePage, name)) : std::nullopt;
    }
    listing.watch = watch;
    if (watch >= 0) {
      std::vector<std::string>& folders = foldersOfWatch_[watch];
      if (folders.empty()) ++watched_;
      folders.push_back(hostFolder);
    }
    namesKept_ += listing.names;
    codePages_.try_emplace(listing.codePage, codePage);
    KeptName found = Find(listing, codePage, name);  // should the events below void the listing
    listings_[hostFolder] = std::move(listing);
    TakeEvents();  // what changed while the folder was read
    auto still = listings_.find(hostFolder);
    return still == listings_.end() ? found : Find(still->second, codePage, name);
  }

  // Applies the events that arrived since the last call.
  void TakeEvents() {
    watch_.Take([this](int watch, FolderWatch::Change change, std::string_view name) {
      if (change == FolderWatch::Change::Lost) return ForgetAll();
      auto found = foldersOfWatch_.find(watch);
      if (found == foldersOfWatch_.end()) return;
      const std::vector<std::string> folders = found->second;  // Forget may change it
      for (const std::string& folder : folders) {
        Listing& listing = listings_.at(folder);
        const CodePage& code = codePages_.at(listing.codePage);
        namesKept_ -= listing.names;
        if (change == FolderWatch::Change::Added) listing.Add(code, name);
        if (change == FolderWatch::Change::Removed) listing.Remove(code, name);
        namesKept_ += listing.names;
        if (change == FolderWatch::Change::Gone) Forget(folder);
      }
    });
  }

  void SetTimesOnly(bool timesOnly) {
    ForgetAll();
    timesOnly_ = timesOnly;
  }

  // After fork the child shares the parent's watch descriptor: it starts afresh.
  void AfterFork() {
    watch_.Abandon();
    listings_.clear();
    foldersOfWatch_.clear();
    namesKept_ = watched_ = 0;
  }

 private:
  void Forget(const std::string& hostFolder) {
    auto known = listings_.find(hostFolder);
    if (known == listings_.end()) return;
    namesKept_ -= known->second.names;
    if (const int watch = known->second.watch; watch >= 0) {
      std::vector<std::string>& folders = foldersOfWatch_[watch];
      std::erase(folders, hostFolder);
      if (folders.empty()) {
        foldersOfWatch_.erase(watch);
        watch_.Remove(watch);
        --watched_;
      }
    }
    listings_.erase(known);
  }

  void ForgetAll() {
    for (const auto& [watch, folders] : foldersOfWatch_) watch_.Remove(watch);
    foldersOfWatch_.clear();
    listings_.clear();
    namesKept_ = watched_ = 0;
  }

  FolderWatch watch_;
  std::unordered_map<std::string, Listing> listings_;
  std::unordered_map<int, std::vector<std::string>> foldersOfWatch_;
  std::unordered_map<unsigned, CodePage> codePages_;
  std::size_t namesKept_ = 0, watched_ = 0;
  bool timesOnly_ = false;
};

KeptListings& Kept() {
  static KeptListings kept;
  static std::once_flag forkHandlers;
  std::call_once(forkHandlers, [] {
    // The lock is held across fork, so that the child never inherits it mid-change.
    pthread_atfork([] { Kept().lock.lock(); }, [] { Kept().lock.unlock(); },
                   [] {
                     Kept().AfterFork();
                     Kept().lock.unlock();
                   });
  });
  return kept;
}

}  // namespace

void TakeFolderChanges() {
  KeptListings& kept = Kept();
  std::lock_guard guard(kept.lock);
  kept.TakeEvents();
}

KeptName KeptFolderName(const CodePage& codePage, const std::string& hostFolder,
                        const struct stat& folderFacts, const std::string& name) {
  KeptListings& kept = Kept();
  std::lock_guard guard(kept.lock);
  const Listing* known = kept.Known(hostFolder, folderFacts, codePage.Number());
  return known ? Find(*known, codePage, name) : KeptName{};
}

std::optional<std::string> FolderNameNoCase(const CodePage& codePage, const std::string& hostFolder,
                                            const struct stat& folderFacts,
                                            const std::string& name) {
  KeptListings& kept = Kept();
  std::lock_guard guard(kept.lock);
  kept.TakeEvents();
  std::optional<KeptName> found;
  if (const Listing* known = kept.Known(hostFolder, folderFacts, codePage.Number()))
    found = Find(*known, codePage, name);
  else
    found = kept.Read(codePage, hostFolder, folderFacts, name);
  if (!found || found->state == KeptName::State::Absent) return std::nullopt;
  return found->real;
}

void KeepFolderNamesByTimesOnly(bool timesOnly) {
  KeptListings& kept = Kept();
  std::lock_guard guard(kept.lock);
  kept.SetTimesOnly(timesOnly);
}

}  // namespace platform
