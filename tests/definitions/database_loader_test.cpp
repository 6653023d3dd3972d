#include "definitions/database_loader.h"

#include <gtest/gtest.h>

#include "definitions/loader_support.h"

namespace definitions {
namespace {

using testing_support::TempImage;

const SpywareEntry& Only(const DefinitionDatabase& database) {
  EXPECT_EQ(database.Entries().size(), 1u);
  return *database.Entries().front();
}

TEST(DatabaseLoader, ReadsEntriesThenScriptsAfterTheLastEntry) {
  TempImage image("xp");
  DefinitionDatabase database;
  const std::string text =
      "<NA VERSION=\"4.23.7\" DATE=\"2006-12-01\">\n"
      "<SW NAME=\"One\"><REGKEYS><REGKEY NAME=\"Software\\One\"/></REGKEYS></SW>\n"
      "<CLEANINGSCRIPT NAME=\"between\" VERSION=\"1\"><SCRIPTFILE NAME=\"b.bat\">x</SCRIPTFILE>"
      "</CLEANINGSCRIPT>\n<OTHER/>\n"
      "<SW NAME=\"Two\"><REGVALUES><REGVALUE NAME=\"%run%\\two\"/></REGVALUES></SW>\n"
      "<CLEANINGSCRIPT NAME=\"after\" VERSION=\"2\" REBOOT=\"YES\"><SCRIPTFILE NAME=\"a.bat\">y"
      "</SCRIPTFILE></CLEANINGSCRIPT>\n</NA>";
  ASSERT_TRUE(LoadText(image, database, text));
  EXPECT_EQ(database.version, "4.23.7");
  EXPECT_EQ(database.date, "2006-12-01");
  ASSERT_EQ(database.Entries().size(), 2u);
  EXPECT_EQ(database.RegistryItemCount(), 2);
  ASSERT_EQ(database.Scripts().size(), 1u);
  EXPECT_EQ(database.Scripts()[0].name, "after");
  EXPECT_TRUE(database.Scripts()[0].reboot);
  EXPECT_EQ(database.FindScript("between"), nullptr);
  EXPECT_EQ(database.FindScript("after")->scriptFile, "a.bat");
  EXPECT_EQ(database.FindScript("AFTER"), nullptr);  // names match exactly

  // Loading again gives the same database, not twice as much.
  ASSERT_TRUE(LoadText(image, database, text));
  EXPECT_EQ(database.Entries().size(), 2u);
  EXPECT_EQ(database.Scripts().size(), 1u);
  EXPECT_EQ(database.RegistryItemCount(), 2);
}

TEST(DatabaseLoader, AFailedLoadKeepsThePreviousDefinitions) {
  TempImage image("xp");
  DefinitionDatabase database;
  ASSERT_TRUE(LoadText(image, database, "<NA VERSION=\"1\"><SW NAME=\"Kept\"/></NA>"));
  EXPECT_FALSE(LoadText(image, database, "<NA VERSION=\"2\"><SW NAME=\"Broken\"></NA>"));
  EXPECT_EQ(database.version, "1");
  EXPECT_EQ(Only(database).name, "Kept");
  image.WriteHostFile("Program Files/Vexmarl/database.db", std::string("\x01\0\0\0not zlib", 12));
  DatabaseLoader loader(image.Machine(), kProgramFolder, database);
  EXPECT_FALSE(loader.Load("C:\\Program Files\\Vexmarl\\database.db"));
  EXPECT_EQ(loader.Error(), LoadError::NotCompressed);
  EXPECT_FALSE(loader.Load("C:\\Program Files\\Vexmarl\\missing.db"));
  EXPECT_EQ(loader.Error(), LoadError::Missing);
  EXPECT_EQ(Only(database).name, "Kept");
  // Well-formed without the root: an empty database, and a success.
  EXPECT_TRUE(LoadText(image, database, "<OTHER/>"));
  EXPECT_TRUE(database.Entries().empty());
}

TEST(DatabaseLoader, EntryFieldsFollowTheChildOrder) {
  TempImage image("xp");
  DefinitionDatabase database;
  ASSERT_TRUE(LoadText(image, database,
                       "<NA><SW NAME=\"Late\"><DANGER NAME=\"high\"/><CATEGORY NAME=\"Adware\"/>"
                       "<CLEANINGSCRIPTREFERENCE NAME=\"fix\"/></SW></NA>"));
  const SpywareEntry& late = Only(database);
  EXPECT_EQ(late.category, "Adware");
  EXPECT_EQ(late.danger, " ");  // DANGER stands before CATEGORY and is not seen
  EXPECT_EQ(late.description, "No description available");
  EXPECT_EQ(late.cleaningScriptReference, "fix");
  ASSERT_TRUE(LoadText(image, database,
                       "<NA><SW NAME=\"Full\"><DANGER NAME=\"high\"/>"
                       "<DESCRIPTION NAME=\"Bad &amp; sad\" url=\"http://x\"/></SW></NA>"));
  EXPECT_EQ(Only(database).danger, " high");
  EXPECT_EQ(Only(database).description, "Bad & sad");
  EXPECT_EQ(Only(database).url, "http://x");
}

TEST(DatabaseLoader, TracesArePreparedAtLoadTime) {
  TempImage image("xp");
  image.WriteHostFile("WINDOWS/present.dll", "x");
  DefinitionDatabase database;
  ASSERT_TRUE(LoadText(
      image, database,
      "<NA><SW NAME=\"S\">"
      "<DIRECTORIES><DIR NAME=\"%WINDIR%\\Foo\"/><DIR NAME=\"%windir%\\%WinDir%x\"/></DIRECTORIES>"
      "<PROCESSES><PROCESS NAME=\"Spy.EXE\" MD5=\"ABC\"/></PROCESSES>"
      "<FILES><FILE NAME=\"abc.exe\"/><FILE NAME=\"c:\\nothere\\x.exe\"/>"
      "<FILE NAME=\"c:\\nothere\\*.exe\"/><FILE NAME=\"%windir%\\PRESENT.dll\" SIZE=\"5\"/>"
      "<FILE PATH=\"Big.bin\" SIZE=\"1024\"/><FILE PATH=\"%temp%\\gone.bin\"/></FILES>"
      "<REGKEYS><REGKEY NAME=\"clsid\\{X}\"/><REGKEY NAME=\"Software\\x\"/><REGKEY NAME=\"x\"/>"
      "</REGKEYS>"
      "<REGVALUES><REGVALUE NAME=\"%run%\\Foo:@:c:\\Bar.exe\"/><REGVALUE NAME=\":@:whole\"/>"
      "</REGVALUES>"
      "<REGVALUESCHANGED><REGVALUECHANGED NAME=\"%9x\\\\Only9x\\v\" OLDVALUE=\"a\" NEWVALUE=\"b\"/>"
      "<REGVALUECHANGED NAME=\"%ntXXSoftware\\Main\\Start Page\" OLDVALUE=\"%WINDIR%\\Evil.HTM\" "
      "NEWVALUE=\"about:blank\"/></REGVALUESCHANGED>"
      "<HOSTS><HOST NAME=\"\"/><HOST NAME=\"ads.example\"/></HOSTS>"
      "</SW></NA>"));
  const SpywareEntry& entry = Only(database);
  ASSERT_EQ(entry.folders.size(), 2u);
  EXPECT_EQ(entry.folders[0].path, "C:\\WINDOWS\\foo");  // only the inserted folder keeps case
  EXPECT_EQ(entry.folders[1].path, "C:\\WINDOWS\\C:\\WINDOWSx");  // every occurrence
  EXPECT_EQ(entry.processes[0].name, "Spy.EXE");
  EXPECT_EQ(entry.processes[0].digest, "ABC");

  ASSERT_EQ(entry.files.size(), 4u);  // the absent absolute path is dropped
  EXPECT_EQ(entry.files[0].path, "abc.exe");
  EXPECT_EQ(entry.files[1].path, "c:\\nothere\\*.exe");
  EXPECT_EQ(entry.files[2].path, "C:\\WINDOWS\\present.dll");
  EXPECT_EQ(entry.files[2].size, 0);  // a FILE with NAME has no size
  EXPECT_EQ(entry.files[3].path, "big.bin");
  EXPECT_EQ(entry.files[3].size, 1024);
  EXPECT_EQ(database.FileTable()[0].key, "*\\abc.exe");
  EXPECT_EQ(database.FileTable()[1].key, "c:\\nothere\\*.exe");
  EXPECT_EQ(database.DigestTable()[0].key, "ABC");
  EXPECT_EQ(database.FolderTable()[0].entry, &entry);

  EXPECT_EQ(entry.registryKeys[0].flags, (RootFlags{0, 0, 1, 0}));
  EXPECT_EQ(entry.registryKeys[1].flags, (RootFlags{0, 1, 0, 1}));
  EXPECT_EQ(entry.registryKeys[2].flags, (RootFlags{0, 0, 0, 0}));
  const RegistryValueTrace& run = entry.registryValues[0];
  EXPECT_EQ(run.keyPath, "Software\\Microsoft\\Windows\\Currentversion\\Run");
  EXPECT_EQ(run.valueName, "foo");
  EXPECT_EQ(run.expectedData, "c:\\bar.exe");
  EXPECT_EQ(run.fullText, "Software\\Microsoft\\Windows\\Currentversion\\Run\\foo");
  EXPECT_EQ(run.flags, (RootFlags{0, 1, 0, 1}));
  EXPECT_EQ(entry.registryValues[1].fullText, ":@:whole");
  EXPECT_EQ(entry.registryValues[1].expectedData, "");
  EXPECT_EQ(database.RegistryItemCount(), 5);

  ASSERT_EQ(entry.changedValues.size(), 1u);  // the 9x one does not apply on XP
  const ChangedValueTrace& changed = entry.changedValues[0];
  EXPECT_EQ(changed.keyPath, "software\\main");
  EXPECT_EQ(changed.valueName, "start page");
  EXPECT_EQ(changed.oldValue, "C:\\WINDOWS\\Evil.HTM");
  EXPECT_EQ(changed.lowerOldValue, "C:\\WINDOWS\\evil.htm");
  EXPECT_EQ(changed.newValue, "about:blank");
  EXPECT_EQ(changed.fullText, "software\\main\\start page\\C:\\WINDOWS\\evil.htm");
  EXPECT_EQ(entry.hosts.size(), 2u);
}

TEST(DatabaseLoader, TheSystemFilterOfChangedValues) {
  const std::string text =
      "<NA><SW NAME=\"S\"><REGVALUESCHANGED>"
      "<REGVALUECHANGED NAME=\"%9x\\\\Nine\\v\"/><REGVALUECHANGED NAME=\"%nt\\\\Nt\\v\"/>"
      "</REGVALUESCHANGED></SW></NA>";
  for (const auto& [os, expected] : {std::pair{"98", "nine"}, std::pair{"2000", "nt"},
                                     std::pair{"xp", "nt"}, std::pair{"me", "nt"}}) {
    TempImage image(os);
    DefinitionDatabase database;
    ASSERT_TRUE(LoadText(image, database, text));
    ASSERT_EQ(Only(database).changedValues.size(), 1u) << os;
    EXPECT_EQ(Only(database).changedValues[0].keyPath, expected) << os;
  }
}

}  // namespace
}  // namespace definitions
