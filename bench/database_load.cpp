// Loading a generated 5 MiB database of 5,000 entries as the program does, against zlib's
// uncompress plus libxml2 parsing the same bytes; and the memory the model keeps and needs
// at its peak, against the size of the text.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>

#include "definitions/database_loader.h"
#include "platform/image/image_machine.h"
#include "ratio_reporter.h"
#include "vexmachine/create_image.h"

// Every C++ allocation of this program is counted, to measure the model's memory.
namespace {
std::atomic<std::size_t> liveBytes{0}, peakBytes{0};
}

void* operator new(std::size_t size) {
  auto* block = static_cast<std::size_t*>(std::malloc(size + sizeof(std::max_align_t)));
  if (!block) throw std::bad_alloc();
  *block = size;
  std::size_t live = liveBytes += size;
  for (std::size_t peak = peakBytes; live > peak && !peakBytes.compare_exchange_weak(peak, live);) {
  }
  return reinterpret_cast<char*>(block) + sizeof(std::max_align_t);
}

void operator delete(void* pointer) noexcept {
  if (!pointer) return;
  auto* block =
      reinterpret_cast<std::size_t*>(static_cast<char*>(pointer) - sizeof(std::max_align_t));
  liveBytes -= *block;
  std::free(block);
}

void operator delete(void* pointer, std::size_t) noexcept {
  operator delete(pointer);
}

namespace {

using namespace definitions;

std::string GenerateText() {
  std::string text = "<?xml version=\"1.0\"?>\n<NA VERSION=\"4.23.5000\" DATE=\"2006-12-01\">\n";
  char buffer[2048];
  for (int entry = 0; entry < 5000; ++entry) {
    std::snprintf(
        buffer, sizeof buffer,
        "<SW NAME=\"Spyware %d\">\n<CATEGORY NAME=\"Adware\"/>\n"
        "<DIRECTORIES><DIR NAME=\"%%programfiles%%\\Spyware %d\"/>"
        "<DIR NAME=\"%%appdata%%\\Spyware %d\\Data\"/></DIRECTORIES>\n"
        "<PROCESSES><PROCESS NAME=\"spy%d.exe\" MD5=\"%032x\"/></PROCESSES>\n"
        "<FILES><FILE NAME=\"%%windir%%\\system32\\spy%d.dll\"/><FILE NAME=\"spy%d.ini\"/>"
        "<FILE PATH=\"%%temp%%\\spy%d*.tmp\" SIZE=\"4096\"/></FILES>\n"
        "<REGKEYS><REGKEY NAME=\"SOFTWARE\\Spyware %d\"/>"
        "<REGKEY NAME=\"CLSID\\{%08X-1111-2222-3333-444455556666}\"/></REGKEYS>\n"
        "<REGVALUES><REGVALUE NAME=\"%%run%%\\spy%d:@:%%windir%%\\spy%d.exe\"/></REGVALUES>\n"
        "<REGVALUESCHANGED><REGVALUECHANGED NAME=\"%%internet0%%\\Main\\Start Page\" "
        "OLDVALUE=\"http://start%d.example/\" NEWVALUE=\"about:blank\"/></REGVALUESCHANGED>\n"
        "<HOSTS><HOST NAME=\"ads%d.example\"/></HOSTS>\n<DANGER NAME=\"high\"/>\n"
        "<DESCRIPTION NAME=\"Shows advertisements &amp; reports the pages you visit; entry %d "
        "of the generated definitions, padded to the size of real descriptions.\" "
        "url=\"http://www.vexmarl.example/db/%d\"/>\n</SW>\n",
        entry, entry, entry, entry, entry, entry, entry, entry, entry, entry, entry, entry, entry,
        entry, entry, entry);
    text += buffer;
  }
  return text + "</NA>\n";
}

struct Fixture {
  std::string folder;
  std::string text;
  std::string fileBytes;
  std::unique_ptr<platform::ImageMachine> machine;

  Fixture() : text(GenerateText()), fileBytes(PackDatabaseText(text)) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vexmarl-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    folder = pattern;
    std::string error = vexmachine::CreateImage(folder + "/image", {});
    if (!error.empty()) std::abort();
    machine = platform::ImageMachine::Open(folder + "/image");
  }
  ~Fixture() {
    machine.reset();
    std::filesystem::remove_all(folder);
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void DatabaseLoad(benchmark::State& state) {
  Fixture& fixture = Shared();
  for (auto _ : state) {
    DefinitionDatabase database;
    DatabaseLoader loader(*fixture.machine, "C:\\Program Files\\Vexmarl\\", database);
    if (!loader.LoadBytes(fixture.fileBytes) || database.Entries().size() != 5000)
      state.SkipWithError("load failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fixture.text.size()));
}

void UncompressAndLibxml2(benchmark::State& state) {
  Fixture& fixture = Shared();
  for (auto _ : state) {
    std::string body = fixture.fileBytes.substr(4);
    for (char& byte : body) byte = static_cast<char>(byte ^ kDatabaseKey);
    std::string output(fixture.text.size() + 1, '\0');
    uLongf size = fixture.text.size();
    if (uncompress(reinterpret_cast<Bytef*>(output.data()), &size,
                   reinterpret_cast<const Bytef*>(body.data()), body.size()) != Z_OK)
      state.SkipWithError("uncompress failed");
    xmlDocPtr document = xmlReadMemory(output.data(), static_cast<int>(size), "database.xml",
                                       nullptr, XML_PARSE_NONET | XML_PARSE_HUGE);
    if (!document) state.SkipWithError("libxml2 refused the text");
    xmlFreeDoc(document);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fixture.text.size()));
}

BENCHMARK(UncompressAndLibxml2)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(DatabaseLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void ReportMemory() {
  Fixture& fixture = Shared();
  DefinitionDatabase database;
  std::size_t before = liveBytes;
  peakBytes = before;
  {
    DatabaseLoader loader(*fixture.machine, "C:\\Program Files\\Vexmarl\\", database);
    loader.LoadBytes(fixture.fileBytes);
  }
  const double text = static_cast<double>(fixture.text.size());
  std::printf(
      "text %.2f MiB; model kept %.2f MiB (%.2f of the text); peak while loading %.2f MiB "
      "(%.2f of the text)\n",
      text / 1048576, (liveBytes - before) / 1048576.0, (liveBytes - before) / text,
      (peakBytes - before) / 1048576.0, (peakBytes - before) / text);
  PrintBenchRow("DatabaseLoad peak memory", (peakBytes - before) / 1048576.0, "text size",
                text / 1048576, "3", "MiB");
}

}  // namespace

int main(int argc, char** argv) {
  xmlInitParser();
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter("DatabaseLoad", "UncompressAndLibxml2", "1.0");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  ReportMemory();
  benchmark::Shutdown();
  xmlCleanupParser();
  return 0;
}
