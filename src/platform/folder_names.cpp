#include "platform/folder_names.h"

#include <dirent.h>
#include <sys/stat.h>

#include <ctime>
#include <mutex>
#include <unordered_map>

namespace platform {

namespace {

// Well above the granularity of the kernel's coarse clock that stamps folder changes.
constexpr long long kSettledNanoseconds = 200'000'000;
// Past this many names kept, the listings start again.
constexpr std::size_t kMostNames = 200'000;

long long Nanoseconds(const timespec& time) {
  return static_cast<long long>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

struct Listing {
  dev_t device = 0;
  ino_t inode = 0;
  long long changed = 0, modified = 0;
  unsigned codePage = 0;
  struct Names {
    std::string first;  // in byte order
    bool several = false;
  };
  std::unordered_map<std::string, Names> byLower;  // lower-cased name -> its real names

  bool Describes(const struct stat& folder, unsigned code) const {
    return device == folder.st_dev && inode == folder.st_ino && codePage == code &&
           changed == Nanoseconds(folder.st_ctim) && modified == Nanoseconds(folder.st_mtim);
  }
};

std::mutex lock;  // guards the two below
std::unordered_map<std::string, Listing> listings;
std::size_t namesKept = 0;

KeptName Find(const Listing& listing, const CodePage& codePage, const std::string& name) {
  auto found = listing.byLower.find(codePage.Lower(name));
  if (found == listing.byLower.end()) return {KeptName::State::Absent, {}};
  return {found->second.several ? KeptName::State::Several : KeptName::State::Alone,
          found->second.first};
}

}  // namespace

KeptName KeptFolderName(const CodePage& codePage, const std::string& hostFolder,
                        const struct stat& folderFacts, const std::string& name) {
  std::lock_guard guard(lock);
  auto known = listings.find(hostFolder);
  if (known == listings.end() || !known->second.Describes(folderFacts, codePage.Number()))
    return {};
  return Find(known->second, codePage, name);
}

std::optional<std::string> FolderNameNoCase(const CodePage& codePage, const std::string& hostFolder,
                                            const struct stat& folderFacts,
                                            const std::string& name) {
  {
    std::lock_guard guard(lock);
    auto known = listings.find(hostFolder);
    if (known != listings.end() && known->second.Describes(folderFacts, codePage.Number())) {
      KeptName kept = Find(known->second, codePage, name);
      if (kept.state == KeptName::State::Absent) return std::nullopt;
      return kept.real;
    }
  }
  timespec began;
  clock_gettime(CLOCK_REALTIME, &began);
  DIR* folder = opendir(hostFolder.c_str());
  if (!folder) return std::nullopt;
  Listing listing{folderFacts.st_dev,
                  folderFacts.st_ino,
                  Nanoseconds(folderFacts.st_ctim),
                  Nanoseconds(folderFacts.st_mtim),
                  codePage.Number(),
                  {}};
  while (dirent* entry = readdir(folder)) {
    const std::string candidate(entry->d_name);
    auto [place, added] =
        listing.byLower.try_emplace(codePage.Lower(candidate), Listing::Names{candidate, false});
    if (added) continue;
    place->second.several = true;
    if (candidate < place->second.first) place->second.first = candidate;
  }
  closedir(folder);
  KeptName kept = Find(listing, codePage, name);
  std::optional<std::string> answer;
  if (kept.state != KeptName::State::Absent) answer = std::move(kept.real);
  const long long settled = Nanoseconds(began) - kSettledNanoseconds;
  if (listing.changed < settled && listing.modified < settled) {
    std::lock_guard guard(lock);
    if (namesKept + listing.byLower.size() > kMostNames) {
      listings.clear();
      namesKept = 0;
    }
    namesKept += listing.byLower.size();
    auto [place, added] = listings.try_emplace(hostFolder);
    if (!added) namesKept -= place->second.byLower.size();
    place->second = std::move(listing);
  }
  return answer;
}

}  // namespace platform
