// Registry-editor text: reading, importing as one step, and exporting so that it reads back.
#include <gtest/gtest.h>

#include <optional>

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

// A registry file as the system's editor gets it: the lines (separated by "\n") ended by
// CR LF, LF or CR, in 8-bit text or UTF-16 with a byte-order mark.
struct Encoding {
  const char* lineEnd;
  bool utf16;
};
constexpr Encoding kEncodings[] = {{"\r\n", false}, {"\n", false}, {"\r", false},
                                   {"\r\n", true},  {"\n", true},  {"\r", true}};

std::string Encode(const std::string& lines, const Encoding& encoding) {
  std::string text;
  for (char c : lines) text += c == '\n' ? std::string(encoding.lineEnd) : std::string(1, c);
  if (!encoding.utf16) return text;
  std::string wide = "\xFF\xFE";
  for (char c : text) wide += std::string{c, '\0'};
  return wide;
}

// Imports the file in every encoding into a fresh image and runs check on each registry.
template <typename Check>
void ForEveryEncoding(const std::string& lines, Check check) {
  for (const Encoding& encoding : kEncodings) {
    SCOPED_TRACE(std::string(encoding.utf16 ? "UTF-16, " : "8-bit, ") +
                 (encoding.lineEnd[0] == '\n' ? "LF"
                  : encoding.lineEnd[1]       ? "CR LF"
                                              : "CR"));
    TempImage image;
    std::string error;
    ASSERT_TRUE(ImportRegistryText(image.Machine().registry(), Encode(lines, encoding), error))
        << error;
    check(image.Machine().registry());
  }
}

constexpr const char* kKey = "SOFTWARE\\T";

std::string Get(Registry& registry, const char* name, DWORD* type = nullptr) {
  return Value(registry, HKEY_LOCAL_MACHINE, kKey, name, type);
}

TEST(RegistryText, CommentsStandAloneAndAfterData) {
  ForEveryEncoding(
      "REGEDIT4\n; a comment\n# another\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n"
      "\"Size\"=dword:00000010 ;bytes\n\"Name\"=\"x;y\" ;note\n\"Blob\"=hex:01,02 ;note\n"
      "\"Long\"=hex:01,\\ ;goes on\n  02\n",
      [](Registry& registry) {
        EXPECT_EQ(Get(registry, "Size"), std::string("\x10\0\0\0", 4));
        EXPECT_EQ(Get(registry, "Name"), std::string("x;y\0", 4));
        EXPECT_EQ(Get(registry, "Blob"), "\x01\x02");
        EXPECT_EQ(Get(registry, "Long"), "\x01\x02");
      });
}

TEST(RegistryText, ContinuedValues) {
  ForEveryEncoding(
      "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n"
      "\"Blanks\"=hex:01,02, \t\\\n  03\n"
      "\"Expand\"=hex(2):\\\n  25,00,41,00,00,00\n"
      "\"Comment\"=hex:01,\\\n; inside\n  02\n"
      "\"Last\"=hex:01,02,\\",
      [](Registry& registry) {
        DWORD type = 0;
        EXPECT_EQ(Get(registry, "Blanks"), "\x01\x02\x03");
        EXPECT_EQ(Get(registry, "Expand", &type), std::string("%A\0", 3));
        EXPECT_EQ(type, REG_EXPAND_SZ);
        EXPECT_EQ(Get(registry, "Comment"), "\x01\x02");
        EXPECT_EQ(Get(registry, "Last"), "\x01\x02");
      });
}

TEST(RegistryText, WhatTheSystemRefusesIsDroppedAndTheRestTaken) {
  ForEveryEncoding(
      "REGEDIT4\n\"Early\"=\"before any key\"\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n"
      "\"Gap\"=hex:01,\\\n\n  02\n"
      "\"Empty\"=hex:01,,02\n"
      "\"Alone\"=hex:01,\\\n\\\n  02\n"
      "\"Escape\"=\"a\\0b\"\n"
      "\"C:\\WINDOWS\\x.dll\"=dword:00000001\n"
      "\"Range\"=hex(100000000):01\n"
      "\"Number\"=dword:123456789\n"
      "this line means nothing\n"
      "\"Kept\"=\"yes\"\n"
      "[HKEY_NOWHERE\\x]\n\"Lost\"=\"no root\"\n",
      [](Registry& registry) {
        for (const char* dropped :
             {"Empty", "Alone", "Escape", "C:\\WINDOWS\\x.dll", "Range", "Number"})
          EXPECT_EQ(Get(registry, dropped), "<error 2>") << dropped;
        EXPECT_EQ(Get(registry, "Gap"), "\x01\x02");  // a blank line inside a list is passed over
        EXPECT_EQ(Get(registry, "Kept"), std::string("yes\0", 4));
      });
  std::vector<RegistryChange> changes;
  std::vector<std::string> skipped;
  std::string error;
  ASSERT_TRUE(ParseRegistryText("REGEDIT4\r\n\"a\"=\"b\"\r\n[HKEY_NOWHERE\\x]\r\n", changes, error,
                                CodePage(1252), &skipped));
  EXPECT_EQ(skipped, (std::vector<std::string>{"line 2: a value outside a key: \"a\"=\"b\"",
                                               "line 3: unknown root key: HKEY_NOWHERE\\x"}));
  // What is no registry file is refused whole.
  EXPECT_FALSE(ParseRegistryText("", changes, error));
  EXPECT_FALSE(ParseRegistryText("hello\r\nREGEDIT4\r\n", changes, error));
  EXPECT_EQ(error, "line 1: not a registry file: hello");
}

// Expects each named value of the key at path to hold the bytes given, or to be absent.
using Expected = std::vector<std::pair<const char*, std::optional<std::string>>>;
void ExpectValues(Registry& registry, const char* path, const Expected& expected) {
  for (const auto& [name, data] : expected)
    EXPECT_EQ(Value(registry, HKEY_LOCAL_MACHINE, path, name), data.value_or("<error 2>"))
        << path << " " << (*name ? name : "@");
}

TEST(RegistryText, OnlyAHexListGoesOnAndOnlyAfterAComma) {
  ForEveryEncoding(
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n"
      "\"Dword\"=dword:1234\\\n5678\n"
      "\"Quoted\"=\"a\\\nb\"\n"
      "\"NoComma\"=hex:01,02\\\n\"ReadAlone\"=\"yes\"\n"
      "\"CommaFirst\"=hex:01\\\n,02\n"
      "\"LeadingComma\"=hex:01,\\\n  ,02\n"
      "\"Split\"=hex:01,0\\\n2\n"
      "\"ThreeDigits\"=hex:01,100\n"
      "\"Inside\"=hex:01,\\02\n"
      "\"Opening\"=hex:,\\\n  01\n"
      "\"HashAfter\"=hex:01,\\#note\n  02\n"
      "\"AtOnce\"=hex:\\\n  01,02\n"
      "\"Blanks\"=hex:01,  \\  ;note\n  02\n"
      "\"Closed\"=hex:01,02,\n  03\n"
      "\"Swallows\"=hex:01,\\\n\"Swallowed\"=\"x\"\n"
      "\"Kept\"=\"yes\"\n",
      [](Registry& registry) {
        ExpectValues(registry, kKey,
                     {{"Dword", {}},
                      {"Quoted", {}},
                      {"NoComma", {}},
                      // A "\" that does not carry a list on leaves the next line to itself.
                      {"ReadAlone", std::string("yes\0", 4)},
                      {"CommaFirst", {}},
                      {"LeadingComma", {}},
                      {"Split", {}},
                      {"ThreeDigits", {}},
                      {"Inside", {}},
                      {"Opening", {}},
                      {"HashAfter", {}},
                      {"AtOnce", "\x01\x02"},
                      {"Blanks", "\x01\x02"},
                      {"Closed", "\x01\x02"},
                      {"Swallows", {}},
                      {"Swallowed", {}},
                      {"Kept", std::string("yes\0", 4)}});
      });
}

TEST(RegistryText, CommentAndBlankLinesInsideAHexListAndTheLinesAfterIt) {
  ForEveryEncoding(
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n"
      "\"Passed\"=hex:01,\\\n\n  ;note\n \t\n  02,\\\n; note\n  03\n"
      // "#" starts no comment inside a list: the line is taken into it and refuses it.
      "\"Hash\"=hex:01,\\\n  # note\n\"AfterHash\"=\"yes\"\n"
      // What follows a blank or a comment line is the list's next line, whatever it holds.
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T\\Blank]\n\"x\"=hex:01,\\\n\n@=\"lost\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T\\Comment]\n\"x\"=hex:01,\\\n;note\n@=\"lost\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T\\Hash]\n\"x\"=hex:01,\\\n#note\n@=\"set\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T\\NoComma]\n\"x\"=hex:01\\\n@=\"set\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T\\Key]\n\"x\"=hex:01,\\\n[HKEY_LOCAL_"
      "MACHINE\\SOFTWARE\\T\\Eaten]\n"
      // A key name goes on in no further line.
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T\\\nBroken]\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T\n\\Broken2]\n",
      [](Registry& registry) {
        ExpectValues(
            registry, kKey,
            {{"Passed", "\x01\x02\x03"}, {"Hash", {}}, {"AfterHash", std::string("yes\0", 4)}});
        ExpectValues(registry, "SOFTWARE\\T\\Blank", {{"x", {}}, {"", {}}});
        ExpectValues(registry, "SOFTWARE\\T\\Comment", {{"x", {}}, {"", {}}});
        ExpectValues(registry, "SOFTWARE\\T\\Hash", {{"x", {}}, {"", std::string("set\0", 4)}});
        ExpectValues(registry, "SOFTWARE\\T\\NoComma", {{"x", {}}, {"", std::string("set\0", 4)}});
        for (const char* missing :
             {"SOFTWARE\\T\\Eaten", "SOFTWARE\\T\\Broken", "SOFTWARE\\T\\Broken2"})
          EXPECT_EQ(Value(registry, HKEY_LOCAL_MACHINE, missing, "x"), "<no key>") << missing;
      });
}

// Zeros inside the strings of a version 5.00 file are stored, an empty expandable or multiple
// string stays empty, and the export writes them as the system's editor does: a string up to
// its first zero, an empty list as its bare prefix. The export takes the root's name in any case.
TEST(RegistryText, ZerosInStringsAndEmptyListsAreStoredAndWrittenAsTheSystemDoes) {
  ForEveryEncoding(
      "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n"
      "\"Zeros\"=hex(1):00,00,00,00,00,00,00,00\n"
      "\"Leading\"=hex(1):00,00,61,00,62,00,63,00\n"
      "\"Inner\"=hex(1):61,00,62,00,63,00,00,00, \\\n  64,00,65,00,66,00,00,00\n"
      "\"Expand\"=hex(2):\n\"Multi\"=hex(7):\n",
      [](Registry& registry) {
        DWORD type = 0;
        ExpectValues(registry, kKey,
                     {{"Zeros", std::string(4, '\0')},
                      {"Leading", std::string("\0abc\0", 5)},
                      {"Inner", std::string("abc\0def\0", 8)},
                      {"Expand", ""},
                      {"Multi", ""}});
        Get(registry, "Expand", &type);
        EXPECT_EQ(type, REG_EXPAND_SZ);
        Get(registry, "Multi", &type);
        EXPECT_EQ(type, REG_MULTI_SZ);
        std::string text, error;
        ASSERT_TRUE(
            ExportRegistryText(registry, "hkey_local_machine\\SOFTWARE\\T", false, text, error))
            << error;
        EXPECT_EQ(text, Encode("Windows Registry Editor Version 5.00\n\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n"
                               "\"Zeros\"=\"\"\n\"Leading\"=\"\"\n\"Inner\"=\"abc\"\n"
                               "\"Expand\"=hex(2):\n\"Multi\"=hex(7):\n\n",
                               kEncodings[3]));
      });
}

TEST(RegistryText, TypesAndTheirBytes) {
  ForEveryEncoding(
      "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n"
      "\"Sixteen\"=hex(10):61\n\"Big\"=hex(100):62\n\"Ten\"=hex(a):63\n"
      "\"Unended\"=hex(2):25,00,41,00\n\"List\"=hex(7):61,00,00,00,62,00\n"
      "\"Wide\"=hex(1):e9,00,ac,20,00,00\n\"Binary\"=hex:e9,00\n",
      [](Registry& registry) {
        DWORD type = 0;
        Get(registry, "Sixteen", &type);
        EXPECT_EQ(type, 16u);
        Get(registry, "Big", &type);
        EXPECT_EQ(type, 256u);
        Get(registry, "Ten", &type);
        EXPECT_EQ(type, 10u);
        // UTF-16 text in the code page, with the zero the system adds where it lacks.
        EXPECT_EQ(Get(registry, "Unended"), std::string("%A\0", 3));
        EXPECT_EQ(Get(registry, "List"), std::string("a\0b\0", 4));
        EXPECT_EQ(Get(registry, "Wide", &type), std::string("\xe9\x80\0", 3));
        EXPECT_EQ(type, REG_SZ);
        EXPECT_EQ(Get(registry, "Binary"), std::string("\xe9\0", 2));
      });
  // REGEDIT4 files keep the bytes of string types as they stand.
  ForEveryEncoding(
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n\"Expand\"=hex(2):25,41,00\n"
      "\"Unended\"=hex(2):25,41\n",
      [](Registry& registry) {
        EXPECT_EQ(Get(registry, "Expand"), std::string("%A\0", 3));
        EXPECT_EQ(Get(registry, "Unended"), std::string("%A\0", 3));
      });
}

TEST(RegistryText, KeysAndDeletions) {
  ForEveryEncoding(
      "REGEDIT4\n[hkey_local_machine\\SOFTWARE\\T]\n\"a\"=\"1\"\n\"b\"=\"2\"\n\"c\"=\"3\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone\\Deep]\n\"x\"=\"1\"\n"
      "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone]\n\"y\"=\"ignored\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n\"b\"=- and more\n\"c\"=-\n",
      [](Registry& registry) {
        EXPECT_EQ(Get(registry, "a"), std::string("1\0", 2));
        EXPECT_EQ(Get(registry, "b"), "<error 2>");
        EXPECT_EQ(Get(registry, "c"), "<error 2>");
        EXPECT_EQ(Value(registry, HKEY_LOCAL_MACHINE, "SOFTWARE\\Gone", "y"), "<no key>");
      });
}

TEST(RegistryText, ImportIsAllOrNothing) {
  TempImage image;
  ImageRegistry& registry = image.Machine().registry();
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
  ImageRegistry& from = source.Machine().registry();
  HKEY key;
  ASSERT_EQ(from.RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\All\\Sub", 0, nullptr, 0,
                                 KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::string longData(300, '\x7F');
  struct Sample {
    const char* name;
    DWORD type;
    std::string data;
    std::optional<std::string> readBack = {};  // when the system's editor reads back other bytes
  } samples[] = {
      {"", REG_SZ, std::string("default \"quoted\" C:\\path\0", 25)},
      {"Quote\"And\\Slash", REG_SZ, std::string("x\0", 2)},
      {"Unterminated", REG_SZ, "abc", std::string("abc\0", 4)},
      {"EmptyText", REG_SZ, std::string(1, '\0')},
      {"Lines", REG_SZ, std::string("a\r\nb\0", 5)},
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
  // UTF-16LE with a byte-order mark, string types as UTF-16 bytes, an empty string as "".
  EXPECT_EQ(text.rfind(Encode("Windows Registry Editor Version 5.00\n", kEncodings[3]), 0), 0u);
  std::string narrow;
  for (std::size_t i = 2; i < text.size(); i += 2) narrow += text[i];
  EXPECT_NE(narrow.find("\"Expand\"=hex(2):25,00,53,00,79,00"), std::string::npos) << narrow;
  EXPECT_NE(narrow.find("\"EmptyText\"=\"\"\r\n"), std::string::npos) << narrow;
  ASSERT_TRUE(ImportRegistryText(target.Machine().registry(), text, error)) << error << "\n"
                                                                            << text;
  for (const Sample& sample : samples) {
    DWORD type = 0;
    EXPECT_EQ(Value(target.Machine().registry(), HKEY_LOCAL_MACHINE, "SOFTWARE\\All\\Sub",
                    sample.name, &type),
              sample.readBack.value_or(sample.data))
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
