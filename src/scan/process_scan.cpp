// The process and startup-entry phases of a scan.
#include "scan/scan_engine.h"

namespace scan {

void ScanEngine::ScanProcesses() {
  Phase(ScanPhase::ProcessModules);
}

void ScanEngine::ScanStartupEntries() {}

}  // namespace scan
