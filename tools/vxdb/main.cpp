// vxdb: the tool for people who write definitions and branding files.
//   vxdb check [--code-page N] FILE      whether FILE is well-formed markup, or the error
//   vxdb pack TEXT DB                    packs a markup text into a database file
//   vxdb unpack DB TEXT                  the markup text of a database file
//   vxdb info [--machine IMAGE] DB       counts, loading as the program would
//   vxdb dump --machine IMAGE [--program-folder WINPATH] DB
//                                        every record of the loaded model, one a line
//   vxdb publish DIR --version V [--restart 0|1] --base-url URL
//        [--out LIST [--sign KEY.pem [--issued TIME]]]
//                                        the update list for the files of DIR, on standard
//                                        output or into LIST, signed into LIST.sig
//   vxdb sign LIST KEY.pem [--issued TIME]
//                                        the signature LIST.sig of an update list
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "definitions/database_loader.h"
#include "foundation/markup_document.h"
#include "platform/image/image_machine.h"
#include "updater/list_signature.h"
#include "vxdb/list_signing.h"
#include "vxdb/publish.h"

namespace {

using namespace definitions;

constexpr const char* kDefaultProgramFolder = "C:\\Program Files\\Vexmarl\\";

constexpr const char* kUsage =
    "usage: vxdb check [--code-page N] FILE\n"
    "       vxdb pack TEXT DB | vxdb unpack DB TEXT\n"
    "       vxdb info [--machine IMAGE] DB\n"
    "       vxdb dump --machine IMAGE [--program-folder WINPATH] DB\n"
    "       vxdb publish DIR --version V [--restart 0|1] --base-url URL\n"
    "            [--out LIST [--sign KEY.pem [--issued YYYY-MM-DDTHH:MM:SSZ]]]\n"
    "       vxdb sign LIST KEY.pem [--issued YYYY-MM-DDTHH:MM:SSZ]\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

std::optional<std::string> ReadHostFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

bool WriteHostFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << bytes;
  return static_cast<bool>(file);
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "vxdb: %s\n", message.c_str());
  return 2;
}

int Check(const std::vector<std::string>& args) {
  unsigned codePage = 1252;
  std::size_t at = 0;
  if (args.size() == 3 && args[0] == "--code-page") {
    codePage = static_cast<unsigned>(std::strtoul(args[1].c_str(), nullptr, 10));
    at = 2;
  }
  if (args.size() != at + 1 || codePage == 0) return Usage();
  auto text = ReadHostFile(args[at]);
  if (!text) return Fail("cannot read " + args[at]);
  foundation::MarkupDocument document{platform::CodePage(codePage)};
  if (document.SetDocument(*text)) {
    std::puts("well-formed");
    return 0;
  }
  // Without an error text the file holds no element at all (or an end tag where it should).
  std::puts(document.Error().empty() ? "No element found" : document.Error().c_str());
  return 1;
}

int Pack(const std::vector<std::string>& args) {
  if (args.size() != 2) return Usage();
  auto text = ReadHostFile(args[0]);
  if (!text) return Fail("cannot read " + args[0]);
  if (text->size() > kLongestDatabaseText)
    return Fail(args[0] + " is longer than 5,242,880 bytes, which the program refuses");
  if (!WriteHostFile(args[1], PackDatabaseText(*text))) return Fail("cannot write " + args[1]);
  return 0;
}

int Unpack(const std::vector<std::string>& args) {
  if (args.size() != 2) return Usage();
  auto bytes = ReadHostFile(args[0]);
  if (!bytes) return Fail("cannot read " + args[0]);
  // The exact text as packed: no line-end change, and nothing cut at a zero byte.
  if (bytes->size() < 4)
    return Fail(args[0] + ": " + DescribeDatabaseFileError(DatabaseFileError::ShortHeader));
  std::string text;
  DatabaseFileError error = UnpackDatabaseText(*bytes, text);
  if (error != DatabaseFileError::None)
    return Fail(args[0] + ": " + DescribeDatabaseFileError(error));
  if (!WriteHostFile(args[1], UnpackRawDatabaseText(*bytes)))
    return Fail("cannot write " + args[1]);
  return 0;
}

// A machine to load into: the one named, or a blank image made for this run.
class LoadMachine {
 public:
  explicit LoadMachine(const std::string& image) {
    std::string root = image;
    if (root.empty()) {
      std::string pattern = (std::filesystem::temp_directory_path() / "vxdb-XXXXXX").string();
      if (!mkdtemp(pattern.data())) return;
      temporary_ = pattern;
      std::filesystem::create_directories(temporary_ + "/drives/C");
      root = temporary_;
    }
    machine_ = platform::ImageMachine::Open(root, &error_);
  }
  ~LoadMachine() {
    machine_.reset();
    if (!temporary_.empty()) std::filesystem::remove_all(temporary_);
  }
  platform::Machine* Get() { return machine_.get(); }
  const std::string& Error() const { return error_; }

 private:
  std::string temporary_, error_;
  std::unique_ptr<platform::ImageMachine> machine_;
};

struct LoadOptions {
  std::string image, programFolder = kDefaultProgramFolder, database;
};

bool ParseLoadOptions(const std::vector<std::string>& args, LoadOptions& options) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--machine" && i + 1 < args.size()) {
      options.image = args[++i];
    } else if (args[i] == "--program-folder" && i + 1 < args.size()) {
      options.programFolder = args[++i];
      if (options.programFolder.back() != '\\') options.programFolder += '\\';
    } else if (options.database.empty()) {
      options.database = args[i];
    } else {
      return false;
    }
  }
  return !options.database.empty();
}

int LoadAnd(const LoadOptions& options, void (*print)(const DefinitionDatabase&)) {
  auto bytes = ReadHostFile(options.database);
  if (!bytes) return Fail("cannot read " + options.database);
  LoadMachine machine(options.image);
  if (!machine.Get())
    return Fail(machine.Error().empty() ? "cannot make a machine" : machine.Error());
  DefinitionDatabase database;
  DatabaseLoader loader(*machine.Get(), options.programFolder, database);
  if (!loader.LoadBytes(*bytes))
    return Fail(options.database + ": " + DescribeLoadError(loader.Error()));
  print(database);
  return 0;
}

void PrintInfo(const DefinitionDatabase& database) {
  std::size_t counts[7] = {};
  for (const auto& entry : database.Entries()) {
    counts[0] += entry->folders.size();
    counts[1] += entry->processes.size();
    counts[2] += entry->files.size();
    counts[3] += entry->registryKeys.size();
    counts[4] += entry->registryValues.size();
    counts[5] += entry->changedValues.size();
    counts[6] += entry->hosts.size();
  }
  std::printf("version\t%s\ndate\t%s\nentries\t%zu\nscripts\t%zu\nregistry-items\t%d\n",
              database.version.c_str(), database.date.c_str(), database.Entries().size(),
              database.Scripts().size(), database.RegistryItemCount());
  const char* kinds[] = {"folders",         "processes",      "files", "registry-keys",
                         "registry-values", "changed-values", "hosts"};
  for (int i = 0; i < 7; ++i) std::printf("%s\t%zu\n", kinds[i], counts[i]);
}

std::string Flags(const RootFlags& flags) {
  std::string text;
  for (std::int32_t flag : flags) text += flag ? '1' : '0';
  return text;
}

void PrintDump(const DefinitionDatabase& database) {
  std::printf("DATABASE\t%s\t%s\t%d\n", database.version.c_str(), database.date.c_str(),
              database.RegistryItemCount());
  for (const auto& entry : database.Entries()) {
    std::printf("SW\t%s\t%s\t%s\t%s\t%s\t%s\n", entry->name.c_str(), entry->category.c_str(),
                entry->danger.c_str(), entry->description.c_str(), entry->url.c_str(),
                entry->cleaningScriptReference.c_str());
    for (const auto& trace : entry->folders) std::printf("DIR\t%s\n", trace.path.c_str());
    for (const auto& trace : entry->processes)
      std::printf("PROCESS\t%s\t%s\n", trace.name.c_str(), trace.digest.c_str());
    for (const auto& trace : entry->files)
      std::printf("FILE\t%s\t%d\n", trace.path.c_str(), trace.size);
    for (const auto& trace : entry->registryKeys)
      std::printf("REGKEY\t%s\t%s\n", trace.keyPath.c_str(), Flags(trace.flags).c_str());
    for (const auto& trace : entry->registryValues)
      std::printf("REGVALUE\t%s\t%s\t%s\t%s\t%s\n", trace.keyPath.c_str(), trace.valueName.c_str(),
                  trace.expectedData.c_str(), trace.fullText.c_str(), Flags(trace.flags).c_str());
    for (const auto& trace : entry->changedValues)
      std::printf("REGVALUECHANGED\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", trace.keyPath.c_str(),
                  trace.valueName.c_str(), trace.oldValue.c_str(), trace.lowerOldValue.c_str(),
                  trace.newValue.c_str(), trace.fullText.c_str(), Flags(trace.flags).c_str());
    for (const auto& trace : entry->hosts) std::printf("HOST\t%s\n", trace.host.c_str());
  }
  for (const auto& row : database.FileTable())
    std::printf("FILEROW\t%s\t%s\n", std::string(row.key).c_str(), row.entry->name.c_str());
  for (const auto& row : database.DigestTable())
    std::printf("DIGESTROW\t%s\t%s\n", std::string(row.key).c_str(), row.entry->name.c_str());
  for (const auto& row : database.FolderTable())
    std::printf("FOLDERROW\t%s\t%s\n", std::string(row.key).c_str(), row.entry->name.c_str());
  for (const auto& script : database.Scripts())
    std::printf("SCRIPT\t%s\t%s\t%d\t%s\n", script.name.c_str(), script.version.c_str(),
                script.reboot ? 1 : 0, script.scriptFile.c_str());
}

// The issue time of a signature: the one given, else now.
std::optional<long long> IssueTime(const std::string& text) {
  if (text.empty()) return static_cast<long long>(std::time(nullptr));
  return updater::ReadIssueTime(text);
}

// Writes LIST.sig for the list's bytes.
int WriteSignature(const std::string& listPath, const std::string& list, const std::string& key,
                   const std::string& issuedText) {
  const auto issued = IssueTime(issuedText);
  if (!issued) return Fail("the issue time must be written YYYY-MM-DDTHH:MM:SSZ: " + issuedText);
  std::string error;
  const auto signature = vxdb::SignatureFileFor(key, list, *issued, &error);
  if (!signature) return Fail(error);
  if (!WriteHostFile(listPath + ".sig", *signature))
    return Fail("cannot write " + listPath + ".sig");
  return 0;
}

int Publish(const std::vector<std::string>& args) {
  vxdb::PublishOptions options;
  std::string out, key, issued;
  if (args.empty()) return Usage();
  options.folder = args[0];
  for (std::size_t i = 1; i < args.size(); i += 2) {
    if (i + 1 >= args.size()) return Usage();
    if (args[i] == "--version") {
      options.version = args[i + 1];
    } else if (args[i] == "--base-url") {
      options.baseUrl = args[i + 1];
    } else if (args[i] == "--restart" && (args[i + 1] == "0" || args[i + 1] == "1")) {
      options.restart = args[i + 1] == "1";
    } else if (args[i] == "--out") {
      out = args[i + 1];
    } else if (args[i] == "--sign") {
      key = args[i + 1];
    } else if (args[i] == "--issued") {
      issued = args[i + 1];
    } else {
      return Usage();
    }
  }
  if (options.version.empty() || options.baseUrl.empty()) return Usage();
  // A signature belongs beside its list's file.
  if ((!key.empty() || !issued.empty()) && out.empty()) return Usage();
  if (!issued.empty() && key.empty()) return Usage();
  std::string error;
  const auto list = vxdb::UpdateListFor(options, &error);
  if (!list) return Fail(error);
  if (out.empty()) {
    std::fputs(list->c_str(), stdout);
    return 0;
  }
  if (!WriteHostFile(out, *list)) return Fail("cannot write " + out);
  return key.empty() ? 0 : WriteSignature(out, *list, key, issued);
}

int Sign(const std::vector<std::string>& args) {
  if (args.size() != 2 && !(args.size() == 4 && args[2] == "--issued")) return Usage();
  const auto list = ReadHostFile(args[0]);
  if (!list) return Fail("cannot read " + args[0]);
  return WriteSignature(args[0], *list, args[1], args.size() == 4 ? args[3] : "");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "--help" && args.empty()) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (command == "check") return Check(args);
  if (command == "pack") return Pack(args);
  if (command == "unpack") return Unpack(args);
  if (command == "publish") return Publish(args);
  if (command == "sign") return Sign(args);
  if (command == "info" || command == "dump") {
    LoadOptions options;
    if (!ParseLoadOptions(args, options)) return Usage();
    if (command == "dump" && options.image.empty()) return Usage();
    return LoadAnd(options, command == "info" ? &PrintInfo : &PrintDump);
  }
  return Usage();
}
