#include "foundation/folder_path.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_image.h"

namespace foundation {
namespace {

using testing_support::TempImage;

TEST(FolderPath, CreatesEachMissingFolderOfThePath) {
  TempImage image;
  EXPECT_TRUE(EnsureFolderPath(image.Files(), "C:\\a\\b\\ \t"));
  EXPECT_TRUE(std::filesystem::is_directory(image.HostPath("a/b")));
  EXPECT_TRUE(EnsureFolderPath(image.Files(), "C:\\A\\B\\c"));  // existing parts in other case
  EXPECT_TRUE(std::filesystem::is_directory(image.HostPath("a/b/c")));
  EXPECT_TRUE(EnsureFolderPath(image.Files(), "C:\\"));
}

TEST(FolderPath, StopsAtAFolderThatCannotBeMade) {
  TempImage image;
  // A name Windows cannot hold cannot be a folder; the folders before it stay.
  EXPECT_FALSE(EnsureFolderPath(image.Files(), "C:\\made\\bad|name\\below"));
  EXPECT_TRUE(std::filesystem::is_directory(image.HostPath("made")));
  EXPECT_FALSE(std::filesystem::exists(image.HostPath("made/bad|name")));
  EXPECT_FALSE(EnsureFolderPath(image.Files(), "Z:\\x"));  // no such drive
}

}  // namespace
}  // namespace foundation
