// Registry-editor text: reading, importing as one step, and exporting so that it reads back.
#include <gtest/gtest.h>

#include "regedit/registry_io.h"
#include "regedit/registry_text.h"
#include "support/temp_image.h"

namespace regedit {
namespace {

using namespace platform;
using testing_support::TempImage;

std::string Value(Registry& registry, HKEY root, const char* path, const char* name,
                  DWORD* type = nullptr) {
  HKEY key;
  if (registry.RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
  BYTE data[512];
  DWORD size = sizeof data;
  LONG status = registry.RegQueryValueExA(key, name, nullptr, type, data, &size);
  registry.RegCloseKey(key);
  if (status != ERROR_SUCCESS) return "<error " + std::to_string(status) + ">";
  return std::string(reinterpret_cast<char*>(data), size);
}

TEST(RegistryText, ReadsEveryFormIncludingTheProgramsOwnBackups) {
  const std::string text =
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; a comment\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\r\n"
      "\"Path\" = \"C:\\\\a\\\"b\"\r\n"
      "@ = \"default\"\r\n"
      "\"Count\"=dword:0000002A\r\n"
      "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
      "16\r\n"
      "\"Expand\"=hex(2):25,00\r\n"
      "\"List\"=hex(10):61\r\n"
      "\"Quad\"=hex(b):01,00,00,00,00,00,00,00\r\n"
      "\"C:\\WINDOWS\\x.dll\"=dword:00000001\r\n"
      "\"Gone\"=-\r\n"
      "[-HKEY_CURRENT_USER\\Software\\Old]\r\n";
  std::vector<RegistryChange> changes;
  std::string error;
  ASSERT_TRUE(ParseRegistryText(text, changes, error)) << error;
  ASSERT_EQ(changes.size(), 11u);
  EXPECT_EQ(changes[0].kind, RegistryChange::Kind::CreateKey);
  EXPECT_EQ(changes[0].keyPath, "SOFTWARE\\Test");
  EXPECT_EQ(changes[1].valueName, "Path");
  EXPECT_EQ(changes[1].data, std::string("C:\\a\"b\0", 7));
  EXPECT_EQ(changes[2].valueName, "");
  EXPECT_EQ(changes[3].data, std::string("\x2A\0\0\0", 4));
  EXPECT_EQ(changes[4].type, REG_BINARY);
  EXPECT_EQ(changes[4].data.size(), 23u);
  EXPECT_EQ(changes[5].type, REG_EXPAND_SZ);
  EXPECT_EQ(changes[6].type, 16u);  // the type number is hexadecimal
  EXPECT_EQ(changes[7].type, REG_QWORD);
  EXPECT_EQ(changes[8].valueName, "C:\\WINDOWS\\x.dll");  // an undoubled backslash stays
  EXPECT_EQ(changes[9].kind, RegistryChange::Kind::DeleteValue);
  EXPECT_EQ(changes[10].kind, RegistryChange::Kind::DeleteKey);
  EXPECT_EQ(changes[10].root, HKEY_CURRENT_USER);
}

TEST(RegistryText, RefusesWhatItCannotRead) {
  std::vector<RegistryChange> changes;
  std::string error;
  EXPECT_FALSE(ParseRegistryText("", changes, error));
  EXPECT_FALSE(ParseRegistryText("hello\r\n", changes, error));
  EXPECT_FALSE(ParseRegistryText("REGEDIT4\r\n\"a\"=\"b\"\r\n", changes, error));
  EXPECT_EQ(error, "line 2: a value before any key");
  EXPECT_FALSE(ParseRegistryText("REGEDIT4\r\n[HKEY_NOWHERE\\x]\r\n", changes, error));
  EXPECT_FALSE(
      ParseRegistryText("REGEDIT4\r\n[HKEY_USERS\\x]\r\n\"a\"=hex:1,zz\r\n", changes, error));
  EXPECT_FALSE(ParseRegistryText("REGEDIT4\r\n[HKEY_USERS\\x]\r\n\"a\"=dword:123456789\r\n",
                                 changes, error));
  EXPECT_FALSE(
      ParseRegistryText("REGEDIT4\r\n[HKEY_USERS\\x]\r\n\"a\"=\"open\r\n", changes, error));
  // Files saved as UTF-16 read as well.
  std::string wide = "\xFF\xFE";
  for (char c : std::string("REGEDIT4\r\n[HKEY_USERS\\x]\r\n")) wide += std::string{c, '\0'};
  EXPECT_TRUE(ParseRegistryText(wide, changes, error)) << error;
}

TEST(RegistryText, ImportIsAllOrNothing) {
  TempImage image;
  Registry& registry = image.Machine().registry();
  std::string error;
  ASSERT_TRUE(ImportRegistryText(
      registry, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Keep]\n\"a\"=\"1\"\n", error))
      << error;
  // The second key is restricted, so the whole file changes nothing.
  HKEY key;
  ASSERT_EQ(registry.RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", 0, nullptr, 0,
                                     KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  registry.RegCloseKey(key);
  registry.SetKeyRestriction(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", true);
  EXPECT_FALSE(ImportRegistryText(registry,
                                  "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Keep]\n\"a\"=\"2\"\n"
                                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Locked]\n\"b\"=\"x\"\n",
                                  error));
  EXPECT_NE(error.find("line 4"), std::string::npos) << error;
  EXPECT_EQ(Value(registry, HKEY_LOCAL_MACHINE, "SOFTWARE\\Keep", "a"), std::string("1\0", 2));
  // "[-KEY]" removes a whole tree.
  ASSERT_TRUE(ImportRegistryText(registry,
                                 "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Keep\\Deep\\Deeper]\n"
                                 "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Keep]\n",
                                 error))
      << error;
  EXPECT_EQ(Value(registry, HKEY_LOCAL_MACHINE, "SOFTWARE\\Keep", "a"), "<no key>");
}

TEST(RegistryText, EveryValueTypeRoundTripsThroughExportAndImport) {
  TempImage source, target;
  Registry& from = source.Machine().registry();
  HKEY key;
  ASSERT_EQ(from.RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\All\\Sub", 0, nullptr, 0,
                                 KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::string longData(300, '\x7F');
  struct Sample {
    const char* name;
    DWORD type;
    std::string data;
  } samples[] = {
      {"", REG_SZ, std::string("default \"quoted\" C:\\path\0", 25)},
      {"Quote\"And\\Slash", REG_SZ, std::string("x\0", 2)},
      {"Unterminated", REG_SZ, "abc"},
      {"Expand", REG_EXPAND_SZ, std::string("%SystemRoot%\0", 13)},
      {"Binary", REG_BINARY, longData},
      {"Empty", REG_BINARY, ""},
      {"Number", REG_DWORD, std::string("\x01\x02\x03\x04", 4)},
      {"ShortNumber", REG_DWORD, std::string("\x01", 1)},
      {"BigEndian", REG_DWORD_BIG_ENDIAN, std::string("\0\0\0\x05", 4)},
      {"Multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5)},
      {"Resources", REG_RESOURCE_REQUIREMENTS_LIST, "rr"},
      {"Quad", REG_QWORD, std::string("\x08\0\0\0\0\0\0\0", 8)},
      {"None", REG_NONE, "n"},
  };
  for (const Sample& sample : samples)
    ASSERT_EQ(from.RegSetValueExA(key, sample.name, 0, sample.type,
                                  reinterpret_cast<const BYTE*>(sample.data.data()),
                                  static_cast<DWORD>(sample.data.size())),
              ERROR_SUCCESS);
  from.RegCloseKey(key);

  std::string text, error;
  ASSERT_TRUE(ExportRegistryText(from, "HKEY_LOCAL_MACHINE\\SOFTWARE\\All", false, text, error));
  EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n", 0), 0u);
  ASSERT_TRUE(ImportRegistryText(target.Machine().registry(), text, error)) << error << "\n"
                                                                            << text;
  for (const Sample& sample : samples) {
    DWORD type = 0;
    EXPECT_EQ(Value(target.Machine().registry(), HKEY_LOCAL_MACHINE, "SOFTWARE\\All\\Sub",
                    sample.name, &type),
              sample.data)
        << sample.name;
    EXPECT_EQ(type, sample.type) << sample.name;
  }
  std::string again;
  ASSERT_TRUE(ExportRegistryText(target.Machine().registry(), "HKEY_LOCAL_MACHINE\\SOFTWARE\\All",
                                 false, again, error));
  EXPECT_EQ(again, text);
}

}  // namespace
}  // namespace regedit
