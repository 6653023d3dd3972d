#include "cli/scan_json.h"

#include <cstdio>

#include "foundation/md5_text.h"

namespace cli {
namespace {

Json ItemFields(const platform::CodePage& code, const char* type, const scan::FoundItem& item) {
  return Json{{"type", type},
              {"kind", scan::KindName(item.kind)},
              {"spyware", code.ToUtf8(item.entry->name)}};
}

}  // namespace

Json ListedItemJson(platform::Machine& machine, const scan::FoundItem& item) {
  const platform::CodePage& code = machine.Code();
  Json object = ItemFields(code, "item", item);
  std::string danger = item.entry->danger;
  danger.erase(0, danger.find_first_not_of(' '));
  object["category"] = code.ToUtf8(item.entry->category);
  object["danger"] = code.ToUtf8(danger);
  object["location"] = code.ToUtf8(item.text);
  if (item.kind != scan::FoundItemKind::File) return object;
  platform::Files& files = machine.files();
  platform::WIN32_FIND_DATAA found;
  platform::HANDLE find = files.FindFirstFileA(item.text.c_str(), &found);
  if (find != platform::INVALID_HANDLE_VALUE) {
    files.FindClose(find);
    object["size"] =
        static_cast<unsigned long long>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
  }
  if (auto digest = foundation::Md5OfFile(files, item.text)) object["md5"] = *digest;
  return object;
}

Json RemovedItemJson(const platform::CodePage& code, const scan::FoundItem& item) {
  Json object = ItemFields(code, "removed", item);
  object["location"] = code.ToUtf8(item.text);
  return object;
}

Json SummaryJson(const platform::CodePage& code, scan::ScanEngine& engine,
                 const std::string& logPath, const RemovalSummary* removal) {
  const scan::ScanCounters& c = engine.Counters();
  Json object{{"type", "summary"},
              {"finished", !engine.Aborted()},
              {"examined", c.objectsExamined.load()},
              {"found", c.itemsFound.load()},
              {"listed", c.itemsListed.load()},
              {"ignored", c.itemsIgnored.load()},
              {"log", code.ToUtf8(logPath)}};
  if (removal) {
    object["quarantineArchive"] = code.ToUtf8(removal->archive);
    Json waiting = Json::array();
    for (const std::string& path : removal->waitingForRestart) waiting.push_back(code.ToUtf8(path));
    object["waitingForRestart"] = std::move(waiting);
    object["restartRequested"] = removal->restartRequested;
  }
  return object;
}

void WriteJsonLine(const Json& object) {
  std::printf("%s\n", object.dump().c_str());
  std::fflush(stdout);
}

}  // namespace cli
