#include "app/removal_flow.h"

#include "app/program_folder.h"
#include "removal/quarantine_run.h"

namespace app {

RemovalFlow::RemovalFlow(platform::Machine& machine, ScanSession& session,
                         const BrandingSettings& branding, const Resources& resources,
                         platform::Prompt& prompt, std::string programFolder)
    : machine_(machine),
      session_(session),
      engine_(machine, session.Engine(), session.Database(), host_) {
  host_.logLine = [this](const std::string& line) { session_.Log().LogLine(line); };
  host_.readNumber = [this](const char* name) { return session_.Settings().Number(name, 0); };
  host_.writeNumber = [this](const char* name, platform::DWORD value) {
    session_.Settings().SetNumber(name, value);
  };
  host_.readText = [this](const char* name) { return session_.Settings().Text(name); };
  host_.writeText = [this](const char* name, const std::string& text) {
    session_.Settings().SetText(name, text);
  };
  host_.resourceText = [&resources](unsigned id) { return resources.String(id); };
  host_.prompt = &prompt;
  host_.appName = branding.APPNAME;
  host_.programFolder = programFolder;
  host_.programPath = ProgramPath(machine.processes());
  host_.interactiveProgram =
      programFolder + (branding.EXENAME.empty() ? std::string("Vexmarl.exe") : branding.EXENAME);
}

bool RemovalFlow::Quarantine(std::string* archivePath) {
  removal::QuarantineStep step{machine_, host_.programFolder, host_.logLine, {}};
  return removal::QuarantineRun(step, session_.Engine().Listed(), archivePath);
}

removal::RemovalOutcome RemovalFlow::Run(std::vector<removal::ResultRow>& rows) {
  host_.logLine("<Removal>");
  removal::RemovalOutcome outcome = engine_.RunRemoval(rows);
  host_.logLine("</Removal>");
  return outcome;
}

}  // namespace app
