// The loader and the resource calls of the Windows system, against the resource library the
// Windows build makes from resources/: its texts, pages and bitmaps come back as the files
// they were made from.
#include "platform/win32/win32_libraries.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/last_error.h"

namespace platform {
namespace {

constexpr UINT kHomeText = 117;  // "Home" in resources/strings.txt
constexpr UINT kNoText = 1;      // no text has that id
constexpr UINT kStartPage = 143;
constexpr UINT kLogoBitmap = 1;
constexpr DWORD kResourceNameNotFound = 1814;  // ERROR_RESOURCE_NAME_NOT_FOUND

// A file of the source tree, whole.
std::string SourceFile(const std::string& path) {
  std::ifstream file(std::string(VEXMARL_SOURCE_DIR) + "\\" + path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class ResourceLibraryTest : public testing::Test {
 protected:
  void SetUp() override {
    module_ = libraries_.LoadLibraryExA(VEXMARL_RESOURCES_DLL, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << "error " << GetLastError();
  }
  void TearDown() override {
    if (module_) {
      EXPECT_TRUE(libraries_.FreeLibrary(module_));
    }
  }

  Win32Libraries libraries_;
  HMODULE module_ = nullptr;
};

TEST_F(ResourceLibraryTest, TextsComeCutToTheBufferAndAMissingOneEmpty) {
  char text[16] = "x";
  EXPECT_EQ(libraries_.LoadStringA(module_, kHomeText, text, sizeof text), 4);
  EXPECT_STREQ(text, "Home");
  char small[3] = "x";
  EXPECT_EQ(libraries_.LoadStringA(module_, kHomeText, small, sizeof small), 2);
  EXPECT_STREQ(small, "Ho");
  char none[16] = "stale";
  EXPECT_EQ(libraries_.LoadStringA(module_, kNoText, none, sizeof none), 0);
  EXPECT_STREQ(none, "");
}

TEST_F(ResourceLibraryTest, PagesAndBitmapsAreTheFilesTheyWereMadeFrom) {
  const std::string page = SourceFile("resources\\pages\\start.html");
  const std::string logo = SourceFile("data\\images\\toprightlogo.bmp");
  ASSERT_FALSE(page.empty());
  ASSERT_FALSE(logo.empty());
  EXPECT_EQ(libraries_.ResourceBytes(module_, RT_HTML, kStartPage), page);
  // The library keeps the bitmap without its file header; it comes back with one.
  const auto bitmap = libraries_.ResourceBytes(module_, RT_BITMAP, kLogoBitmap);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->size(), logo.size());
  EXPECT_TRUE(*bitmap == logo);
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(libraries_.ResourceBytes(module_, RT_HTML, kLogoBitmap));
  EXPECT_EQ(GetLastError(), kResourceNameNotFound);
}

TEST(Win32LibrariesTest, LoadingFailuresAreTheLayersCodesOnEveryVersion) {
  Win32Libraries libraries;
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(libraries.LoadLibraryA("vexmarl-no-such-library.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  const std::string text = std::string(VEXMARL_SOURCE_DIR) + "\\resources\\strings.txt";
  EXPECT_EQ(libraries.LoadLibraryA(text.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
  HMODULE kernel = libraries.LoadLibraryA("kernel32.dll");
  ASSERT_NE(kernel, nullptr);
  EXPECT_NE(libraries.GetProcAddress(kernel, "GetTickCount"), nullptr);
  EXPECT_EQ(libraries.GetProcAddress(kernel, "VexmarlNoSuchExport"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_TRUE(libraries.FreeLibrary(kernel));
}

}  // namespace
}  // namespace platform
