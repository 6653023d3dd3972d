// A scan engine over a fresh XP image and definitions given as text, with a host that records
// what the run tells the program around it.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "definitions/database_file.h"
#include "definitions/database_loader.h"
#include "regedit/registry_io.h"
#include "scan/scan_engine.h"
#include "support/temp_image.h"

namespace scan {

inline constexpr const char* kProgramFolder = "C:\\Program Files\\Vexmarl\\";

class ScanFixture : public ::testing::Test {
 protected:
  ScanFixture() : image_("xp") {}

  // Loads the entries (the text inside the root element) and makes the engine.
  void Define(const std::string& entries) {
    image_.WriteHostFile(
        "Program Files/Vexmarl/database.db",
        definitions::PackDatabaseText("<NA VERSION=\"1\" DATE=\"d\">" + entries + "</NA>"));
    definitions::DatabaseLoader loader(image_.Machine(), kProgramFolder, database_);
    ASSERT_TRUE(loader.Load(std::string(kProgramFolder) + definitions::kDatabaseFileName));
    image_.Files().SetCurrentDirectoryA(kProgramFolder);
    ScanHost host;
    host.logLine = [this](const std::string& line) { log_.push_back(line); };
    host.readNumber = [this](const char* name) -> platform::DWORD {
      if (onRead_) onRead_(name);
      auto found = numbers_.find(name);
      return found == numbers_.end() ? 0 : found->second;
    };
    host.readText = [this](const char* name) {
      auto found = texts_.find(name);
      return found == texts_.end() ? std::string() : found->second;
    };
    host.writeText = [this](const char* name, const std::string& text) { texts_[name] = text; };
    host.itemListed = [this](const FoundItem& item) { listed_.push_back(item.text); };
    host.runEnded = [this] { ++ended_; };
    host.resourceText = [](unsigned id) { return "text " + std::to_string(id); };
    engine_ = std::make_unique<ScanEngine>(image_.Machine(), database_, std::move(host));
  }

  const definitions::SpywareEntry& Entry(std::size_t index) { return *database_.Entries()[index]; }

  // The log lines from the first that starts with `from` to the first after it that starts
  // with `to`, both included.
  std::vector<std::string> LogBetween(const std::string& from, const std::string& to) const {
    std::vector<std::string> part;
    bool inside = false;
    for (const std::string& line : log_) {
      if (!inside && line.rfind(from, 0) == 0) inside = true;
      if (inside) part.push_back(line);
      if (inside && line.rfind(to, 0) == 0 && part.size() > 1) break;
    }
    return part;
  }

  void WriteRegistryText(const std::string& text) {
    std::string error;
    ASSERT_TRUE(
        regedit::ImportRegistryText(image_.Machine().registry(), "REGEDIT4\r\n\r\n" + text, error))
        << error;
  }

  testing_support::TempImage image_;
  definitions::DefinitionDatabase database_;
  std::unique_ptr<ScanEngine> engine_;
  std::vector<std::string> log_;
  std::vector<std::string> listed_;
  std::map<std::string, platform::DWORD> numbers_;
  std::map<std::string, std::string> texts_;
  std::function<void(const char*)> onRead_;
  int ended_ = 0;
};

}  // namespace scan
