// The objects of vexmarl-cli scan --json, one a line on standard output: each listed item,
// each removed item, then a summary of the run. Texts are converted from the machine's code
// page to UTF-8, as JSON wants.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/machine.h"
#include "scan/found_item.h"
#include "scan/scan_engine.h"

namespace cli {

using Json = nlohmann::ordered_json;  // keys in the order written, for a reader's eye

// {"type": "item", "kind", "spyware", "category", "danger", "location"}, and for a file "size"
// and "md5" when it can be read.
Json ListedItemJson(platform::Machine& machine, const scan::FoundItem& item);
// {"type": "removed", "kind", "spyware", "location"}.
Json RemovedItemJson(const platform::CodePage& code, const scan::FoundItem& item);

// What a removal adds to the summary.
struct RemovalSummary {
  std::string archive;
  std::vector<std::string> waitingForRestart;
  bool restartRequested = false;
};

// {"type": "summary", "finished", the counts, "log"}, and the removal's facts when it ran.
Json SummaryJson(const platform::CodePage& code, scan::ScanEngine& engine,
                 const std::string& logPath, const RemovalSummary* removal);

// The object on one line of standard output.
void WriteJsonLine(const Json& object);

}  // namespace cli
