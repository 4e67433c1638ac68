// Register and LookupMessage of the stand-in's service table.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "kestrum/service_table.hpp"

namespace fs = std::filesystem;

namespace {

void SetEnv(const char *name, const char *value) {
#ifdef _WIN32
  _putenv_s(name, value ? value : "");
#else
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
#endif
}

class ServiceTable : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("pardune-kestrum-" +
           std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    module = (dir / "Pardune.kmx").string();
    KestrumSetLanguage(nullptr);
    SetEnv("PARDUNE_LANG", nullptr);
  }
  void TearDown() override {
    KestrumSetLanguage(nullptr);
    SetEnv("PARDUNE_LANG", nullptr);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }

  void Write(const std::string &name, const std::string &contents) {
    FILE *file = std::fopen((dir / name).string().c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(contents.data(), 1, contents.size(), file);
    std::fclose(file);
  }

  std::string Lookup(SubPluginRecord &record, const char *key) {
    return KestrumServiceTable()->LookupMessage(&record, key, 0, 0);
  }

  SubPluginRecord Register() {
    SubPluginRecord record = {};
    KestrumServiceTable()->Register(module.c_str(), &record);
    return record;
  }

  fs::path dir;
  std::string module;
};

TEST_F(ServiceTable, SlotsOfTheStandIn) {
  EngineTable *table = KestrumServiceTable();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table, KestrumServiceTable());
  EXPECT_NE(table->Register, nullptr);
  EXPECT_NE(table->LookupMessage, nullptr);
  for (void *slot : table->Reserved0) EXPECT_EQ(slot, nullptr);
  for (void *slot : table->Reserved4) EXPECT_EQ(slot, nullptr);
  for (void *slot : table->Reserved24) EXPECT_EQ(slot, nullptr);
}

TEST_F(ServiceTable, RegisterKeepsTheModulePathAndLoadsItsTexts) {
  Write("Pardune.lng", "1=Regular expression tester\n47=Match at %d:%d\n");
  SubPluginRecord record = Register();
  EXPECT_EQ(KestrumRecordModule(record), module);
  EXPECT_EQ(KestrumRecordLanguageFile(record), (dir / "Pardune.lng").string());
  EXPECT_EQ(Lookup(record, "1"), "Regular expression tester");
  EXPECT_EQ(Lookup(record, "47"), "Match at %d:%d");
}

TEST_F(ServiceTable, AKeyThatNamesNoMessageYieldsTheKey) {
  Write("Pardune.lng", "1=one\n");
  SubPluginRecord record = Register();
  const char *key = "a literal text";
  EXPECT_EQ(KestrumServiceTable()->LookupMessage(&record, key, 0, 0), key);
  const char *id = "2";
  EXPECT_EQ(KestrumServiceTable()->LookupMessage(&record, id, 0, 0), id);
  EXPECT_STREQ(KestrumServiceTable()->LookupMessage(&record, nullptr, 0, 0), "");
}

TEST_F(ServiceTable, AnUnregisteredRecordYieldsTheKey) {
  SubPluginRecord record = {};
  EXPECT_EQ(Lookup(record, "1"), "1");
  EXPECT_EQ(KestrumServiceTable()->LookupMessage(nullptr, "1", 0, 0), std::string("1"));
}

TEST_F(ServiceTable, NoLanguageFileLeavesTheKeys) {
  SubPluginRecord record = Register();
  EXPECT_EQ(KestrumRecordLanguageFile(record), "");
  EXPECT_EQ(Lookup(record, "1"), "1");
}

TEST_F(ServiceTable, ChosenLanguage) {
  Write("Pardune.lng", "1=English\n");
  Write("Pardune.de.lng", "1=Deutsch\n");
  KestrumSetLanguage("de");
  SubPluginRecord german = Register();
  EXPECT_EQ(Lookup(german, "1"), "Deutsch");

  KestrumSetLanguage("en");
  SubPluginRecord english = Register();
  EXPECT_EQ(Lookup(english, "1"), "English");
  EXPECT_EQ(Lookup(german, "1"), "Deutsch");  // each registration keeps its texts
}

TEST_F(ServiceTable, MissingLanguageFallsBackToEnglish) {
  Write("Pardune.lng", "1=English\n");
  KestrumSetLanguage("fr");
  SubPluginRecord record = Register();
  EXPECT_EQ(Lookup(record, "1"), "English");
  EXPECT_EQ(KestrumRecordLanguageFile(record), (dir / "Pardune.lng").string());
}

TEST_F(ServiceTable, LanguageFromTheEnvironment) {
  Write("Pardune.lng", "1=English\n");
  Write("Pardune.ru.lng", "1=Russian\n");
  SetEnv("PARDUNE_LANG", "ru");
  SubPluginRecord russian = Register();
  EXPECT_EQ(Lookup(russian, "1"), "Russian");
  KestrumSetLanguage("en");  // the choice made in the program wins
  SubPluginRecord record = Register();
  EXPECT_EQ(Lookup(record, "1"), "English");
}

TEST_F(ServiceTable, TextsAreInTheOemCodePage) {
  Write("Pardune.lng", "1=caf\xC3\xA9\n");
  SubPluginRecord record = Register();
  const WCHAR e = 0x00E9;
  char oem = 0;
  ASSERT_EQ(WideCharToMultiByte(CP_OEMCP, 0, &e, 1, &oem, 1, nullptr, nullptr), 1);
  EXPECT_EQ(Lookup(record, "1"), std::string("caf") + oem);
}

TEST_F(ServiceTable, ABadFileStillGivesItsGoodLines) {
  Write("Pardune.lng",
        "garbage\r\n1=one\r\n\xFF\xFE=\x80\r\n" + std::string(10000, 'x') + "\r\n2=two\r\n");
  SubPluginRecord record = Register();
  EXPECT_EQ(Lookup(record, "1"), "one");
  EXPECT_EQ(Lookup(record, "2"), "two");
  const std::string file = (dir / "Pardune.lng").string();
  const std::vector<std::string> expected = {
      file + ":1: no '=' in line",
      file + ":3: invalid UTF-8 shown as '?'; kept",
      file + ":4: line too long",
  };
  EXPECT_EQ(KestrumRecordLanguageProblems(record), expected);
}

TEST_F(ServiceTable, ALongModulePathIsCutInTheRecord) {
  module = (dir / (std::string(300, 'm') + ".kmx")).string();
  SubPluginRecord record = Register();
  EXPECT_EQ(KestrumRecordModule(record), module.substr(0, 259));
}

}  // namespace
