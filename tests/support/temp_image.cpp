#include "support/temp_image.h"

#include <sqlite3.h>

#include "foundation/whole_file.h"
#include "vexmachine/create_image.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace testing_support {

namespace fs = std::filesystem;

TempImage::TempImage() {
  std::string pattern = (fs::temp_directory_path() / "vexmarl-image-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  fs::create_directories(fs::path(root_) / "drives" / "C");
  machine_ = platform::ImageMachine::Open(root_);
  if (!machine_) throw std::runtime_error("not an image: " + root_);
}

TempImage::TempImage(const std::string& os) {
  std::string pattern = (fs::temp_directory_path() / "vexmarl-image-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  vexmachine::ImageOptions options;
  options.os = os;
  // The system programs (the registry editor) come from where vexmachine was built.
  options.programsFolder = fs::path(VEXMACHINE_PROGRAM).parent_path().string();
  std::string error = vexmachine::CreateImage(root_, options);
  if (!error.empty()) throw std::runtime_error(error);
  machine_ = platform::ImageMachine::Open(root_);
  if (!machine_) throw std::runtime_error("not an image: " + root_);
}

TempImage::~TempImage() {
  machine_.reset();
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

std::string TempImage::HostPath(const std::string& relative) const {
  return root_ + "/drives/C/" + relative;
}

void TempImage::WriteHostFile(const std::string& relative, const std::string& content) const {
  fs::path path = HostPath(relative);
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

void TempImage::WriteFile(const std::string& windowsPath, const std::string& content) {
  EXPECT_TRUE(foundation::WriteWholeFile(Files(), windowsPath, content))
      << windowsPath << " error " << platform::GetLastError();
}

std::string TempImage::ReadFile(const std::string& windowsPath) {
  auto content = foundation::ReadWholeFile(Files(), windowsPath);
  if (!content)
    ADD_FAILURE() << "cannot read " << windowsPath << " error " << platform::GetLastError();
  return content.value_or("");
}

std::string RunCommand(const std::string& command, int* status) {
  std::string output;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return output;
  char block[4096];
  std::size_t count;
  while ((count = std::fread(block, 1, sizeof block, pipe)) > 0) output.append(block, count);
  int result = pclose(pipe);
  if (status) *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
  return output;
}

std::string RegistryIntegrity(const std::string& imageRoot) {
  sqlite3* database = nullptr;
  if (sqlite3_open_v2((imageRoot + "/registry.db").c_str(), &database, SQLITE_OPEN_READONLY,
                      nullptr) != SQLITE_OK) {
    sqlite3_close(database);
    return "cannot open";
  }
  std::string result;
  sqlite3_exec(
      database, "PRAGMA integrity_check",
      [](void* out, int, char** values, char**) {
        *static_cast<std::string*>(out) += values[0] ? values[0] : "";
        return 0;
      },
      &result, nullptr);
  sqlite3_close(database);
  return result;
}

}  // namespace testing_support
