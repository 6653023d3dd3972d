// A removal as the results page runs it, shared by the main window and vexmarl-cli: the
// confirmation, the quarantine step, and the run inside the log's "Removal" element, with
// the settings, texts and questions of the program around the removal engine.
#pragma once

#include <string>
#include <vector>

#include "app/branding_settings.h"
#include "app/resources.h"
#include "app/scan_session.h"
#include "platform/prompt.h"
#include "removal/removal_engine.h"

namespace app {

class RemovalFlow {
 public:
  RemovalFlow(platform::Machine& machine, ScanSession& session, const BrandingSettings& branding,
              const Resources& resources, platform::Prompt& prompt, std::string programFolder);

  removal::RemovalHost& Host() { return host_; }
  removal::RemovalEngine& Engine() { return engine_; }

  // The confirmation; true when the person agreed and the quarantine step is to run.
  bool Confirm(std::vector<removal::ResultRow>& rows) { return engine_.ConfirmRemoval(rows); }
  // The quarantine step over the scan's selected items; any thread. False: nothing may be
  // removed.
  bool Quarantine(std::string* archivePath = nullptr);
  // "<Removal>", the removal run, "</Removal>".
  removal::RemovalOutcome Run(std::vector<removal::ResultRow>& rows);

 private:
  platform::Machine& machine_;
  ScanSession& session_;
  removal::RemovalHost host_;
  removal::RemovalEngine engine_;
};

}  // namespace app
