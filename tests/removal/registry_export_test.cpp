// Registry keys and values as registry-editor text: the data texts, whole sections, and a
// round trip through the image's registry editor.
#include <gtest/gtest.h>

#include "regedit/registry_io.h"
#include "removal/registry_export.h"
#include "support/temp_image.h"

namespace removal {
namespace {

using namespace platform;
using Lines = std::vector<std::string>;

class RegistryExportTest : public ::testing::Test {
 protected:
  RegistryExportTest() : image_("xp") {}

  RegistryExport Exporter(bool unicode = true) {
    return RegistryExport(
        image_.Machine().registry(), unicode, [this](const std::string& t) { text_ += t; },
        [this](const std::string& line) { log_.push_back(line); });
  }
  std::string Data(DWORD type, const std::string& bytes, bool unicode = true) {
    return Exporter(unicode).FormatValueData(type, reinterpret_cast<const BYTE*>(bytes.data()),
                                             static_cast<DWORD>(bytes.size()));
  }
  void Import(const std::string& text) {
    std::string error;
    ASSERT_TRUE(regedit::ImportRegistryText(image_.Machine().registry(), text, error)) << error;
  }
  void SetValue(HKEY root, const char* path, const char* name, DWORD type,
                const std::string& data) {
    HKEY key;
    ASSERT_EQ(image_.Machine().registry().RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                          nullptr, &key, nullptr),
              ERROR_SUCCESS);
    image_.Machine().registry().RegSetValueExA(key, name, 0, type,
                                               reinterpret_cast<const BYTE*>(data.data()),
                                               static_cast<DWORD>(data.size()));
    image_.Machine().registry().RegCloseKey(key);
  }

  testing_support::TempImage image_;
  std::string text_;
  Lines log_;
};

std::string Bytes(std::size_t count) {
  std::string bytes;
  for (std::size_t i = 0; i < count; ++i) bytes += static_cast<char>(i);
  return bytes;
}

TEST_F(RegistryExportTest, DataTexts) {
  EXPECT_EQ(Data(REG_SZ, std::string("C:\\a\"b\0", 7)), "\"C:\\\\a\\\"b\"\n");
  EXPECT_EQ(Data(REG_DWORD, std::string("\1\0\0\0", 4)), "dword:00000001\n");
  EXPECT_EQ(Data(REG_DWORD, std::string("\x78\x56\x34\x12", 4)), "dword:12345678\n");
  EXPECT_EQ(Data(REG_BINARY, ""), "hex:\n");
  // 22 bytes fill the first line; a continuation only when more bytes follow.
  EXPECT_EQ(Data(REG_BINARY, Bytes(22)),
            "hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\n");
  EXPECT_EQ(Data(REG_BINARY, Bytes(23)),
            "hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n16,\n");
  EXPECT_EQ(Data(REG_BINARY, Bytes(43)),
            "hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n"
            "16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,\n");
  // String types are UTF-16 under the version 5.00 banner, terminating zeros included...
  EXPECT_EQ(Data(REG_EXPAND_SZ, std::string("%a\x80\0", 4)), "hex(2):25,00,61,00,ac,20,00,00,\n");
  EXPECT_EQ(Data(REG_MULTI_SZ, std::string("a\0b\0\0", 5)),
            "hex(7):61,00,00,00,62,00,00,00,00,00,\n");
  // ...and their own bytes under "REGEDIT4".
  EXPECT_EQ(Data(REG_EXPAND_SZ, std::string("%a\x80\0", 4), false), "hex(2):25,61,80,00,\n");
  // Type numbers are hexadecimal; every type keeps its bytes.
  EXPECT_EQ(Data(REG_RESOURCE_REQUIREMENTS_LIST, "\1"), "hex(a):01,\n");
  EXPECT_EQ(Data(REG_FULL_RESOURCE_DESCRIPTOR, "\1"), "hex(9):01,\n");
  EXPECT_EQ(Data(REG_QWORD, std::string(8, '\1')), "hex(b):01,01,01,01,01,01,01,01,\n");
  EXPECT_EQ(Data(REG_NONE, ""), "hex(0):\n");
  // Texts a quoted string cannot hold, and DWORDs of another length, as byte lists.
  EXPECT_EQ(Data(REG_SZ, std::string("a\nb\0", 4), false), "hex(1):61,0a,62,00,\n");
  EXPECT_EQ(Data(REG_DWORD, "\1\2"), "hex(4):01,02,\n");
}

TEST_F(RegistryExportTest, KeyTreeOnlyUnderTheMachineGivesOneTreeAndOneLogLine) {
  SetValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Spy", "Top", REG_SZ, std::string("t\0", 2));
  SetValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Spy\\B", "", REG_DWORD, std::string("\2\0\0\0", 4));
  SetValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Spy\\A\\Deep", "x", REG_BINARY, "\xff");
  SetValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Spy\\A", "y", REG_SZ, std::string("1\0", 2));
  Exporter().ExportKeyTree("software\\spy");
  EXPECT_EQ(text_,
            "[HKEY_LOCAL_MACHINE\\software\\spy]\n"
            "\"Top\" = \"t\"\n"
            "\n[HKEY_LOCAL_MACHINE\\software\\spy\\A]\n"
            "\"y\" = \"1\"\n"
            "\n[HKEY_LOCAL_MACHINE\\software\\spy\\A\\Deep]\n"
            "\"x\" = hex:ff,\n"
            "\n[HKEY_LOCAL_MACHINE\\software\\spy\\B]\n"
            "@ = dword:00000002\n");
  EXPECT_EQ(log_, (Lines{"<REGKEY RES = \"Exporting - software\\spy\"/>"}));
}

TEST_F(RegistryExportTest, KeyUnderTwoRootsAndMissingOrEmptyKeys) {
  SetValue(HKEY_CURRENT_USER, "Software\\Both", "u", REG_SZ, std::string("1\0", 2));
  SetValue(HKEY_LOCAL_MACHINE, "Software\\Both", "m", REG_SZ, std::string("2\0", 2));
  Exporter().ExportKeyTree("Software\\Both");
  EXPECT_EQ(text_,
            "[HKEY_CURRENT_USER\\Software\\Both]\n\"u\" = \"1\"\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Both]\n\"m\" = \"2\"\n");
  text_.clear();
  log_.clear();
  Exporter().ExportKeyTree("Software\\Nowhere");
  EXPECT_EQ(text_, "");
  EXPECT_EQ(log_.size(), 1u);
  log_.clear();
  // An empty path would name whole roots: nothing is exported or logged.
  Exporter().ExportKeyTree("");
  Exporter().ExportKeyTree("\\\\");
  EXPECT_EQ(text_, "");
  EXPECT_TRUE(log_.empty());
}

TEST_F(RegistryExportTest, SingleValueSectionAndItsLogLine) {
  SetValue(HKEY_CURRENT_USER, "Software\\Spy", "Home \"page\"", REG_SZ,
           std::string("http://x\0", 9));
  SetValue(HKEY_LOCAL_MACHINE, "Software\\Spy", "Long", REG_BINARY, std::string(5000, 'z'));
  RegistryExport exporter = Exporter();
  exporter.ExportSingleValue(HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Software\\Spy",
                             "Home \"page\"");
  exporter.ExportSingleValue(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "Software\\Spy", "None");
  // The name is escaped as a string's data is, so that the registry editor takes it back.
  EXPECT_EQ(text_, "\n[HKEY_CURRENT_USER\\Software\\Spy]\n\"Home \\\"page\\\"\" = \"http://x\"\n");
  EXPECT_EQ(log_, (Lines{"<REGVALUE RES = \"Home \\page\\ = http://x\n\"/>"}));
  // A value longer than 2048 bytes is kept whole.
  text_.clear();
  exporter.ExportSingleValue(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "Software\\Spy", "Long");
  EXPECT_GT(text_.size(), 5000u * 3);
}

TEST_F(RegistryExportTest, ValueItemTextsSplitAtTheirLastBackslash) {
  ValueItemParts parts;
  ASSERT_TRUE(SplitValueItem("software\\spy\\home:@:x", parts));
  EXPECT_EQ(parts.keyPath, "software\\spy");
  EXPECT_EQ(parts.valueName, "home");
  EXPECT_EQ(parts.dataMarker, "x");
  ASSERT_TRUE(SplitValueItem("a\\b", parts));
  EXPECT_EQ(parts.dataMarker, "");
  EXPECT_FALSE(SplitValueItem("\\value", parts));
  EXPECT_FALSE(SplitValueItem("novalue:@:a\\b", parts));
}

TEST_F(RegistryExportTest, EveryTypeComesBackThroughTheRegistryEditor) {
  struct Value {
    const char* name;
    DWORD type;
    std::string data;
  };
  const std::vector<Value> values = {
      {"sz", REG_SZ, std::string("caf\xe9 \x80 \"q\" C:\\x\0", 17)},
      {"expand", REG_EXPAND_SZ, std::string("%windir%\\\xe9\0", 12)},
      {"multi", REG_MULTI_SZ, std::string("one\0t\x80o\0\0", 10)},
      {"binary", REG_BINARY, Bytes(64)},
      {"dword", REG_DWORD, std::string("\xef\xbe\xad\xde", 4)},
      {"none", REG_NONE, "\1\2"},
      {"list", REG_RESOURCE_REQUIREMENTS_LIST, Bytes(22)},
      {"qword", REG_QWORD, Bytes(8)},
      {"lines", REG_SZ, std::string("a\r\nb\0", 5)},
      {"", REG_SZ, std::string("default\0", 8)},
      {"C:\\WINDOWS\\x.dll \"q\"", REG_DWORD, std::string(4, '\1')},
  };
  for (const Value& value : values)
    SetValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Round\\Sub", value.name, value.type, value.data);
  SetValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Round", "top", REG_DWORD, std::string(4, '\0'));
  for (bool unicode : {true, false}) {
    text_ = std::string(unicode ? kRegistryBanner5 : kRegistryBanner4) + "\n";
    Exporter(unicode).ExportKeyTree("SOFTWARE\\Round");
    ASSERT_EQ(image_.Machine().registry().SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Round"),
              ERROR_SUCCESS);
    Import(text_);
    ImageRegistry& registry = image_.Machine().registry();
    HKEY key;
    ASSERT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Round\\Sub", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    std::vector<RegistryValue> read = ReadKeyValues(registry, key);
    registry.RegCloseKey(key);
    ASSERT_EQ(read.size(), values.size()) << text_;
    for (std::size_t i = 0; i < values.size(); ++i) {
      EXPECT_EQ(read[i].name, values[i].name);
      EXPECT_EQ(read[i].type, values[i].type) << values[i].name;
      EXPECT_EQ(read[i].data, values[i].data) << values[i].name << "\n" << text_;
    }
  }
}

}  // namespace
}  // namespace removal
