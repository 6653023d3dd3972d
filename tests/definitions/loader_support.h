// Loading definitions texts into a machine image, for the loader's tests.
#pragma once

#include <string>

#include "definitions/database_loader.h"
#include "support/temp_image.h"

namespace definitions {

inline constexpr const char* kProgramFolder = "C:\\Program Files\\Vexmarl\\";

// Packs the text into the image's program folder and loads it as the program does.
inline bool LoadText(testing_support::TempImage& image, DefinitionDatabase& database,
                     const std::string& text) {
  image.WriteHostFile("Program Files/Vexmarl/database.db", PackDatabaseText(text));
  DatabaseLoader loader(image.Machine(), kProgramFolder, database);
  return loader.Load(std::string(kProgramFolder) + kDatabaseFileName);
}

}  // namespace definitions
