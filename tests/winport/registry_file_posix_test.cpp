// winport's registry file: its text, hand-edited files, damaged files, places
// that cannot be written, and several programs writing at once.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "winport/scratch_registry.hpp"

namespace {

class RegistryFile : public ::testing::Test {
 protected:
  HKEY Create(const std::string &path, REGSAM access = KEY_ALL_ACCESS) {
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, access,
                                             nullptr, &key, nullptr));
    return key;
  }
  LONG Query(const std::string &path, const char *name, std::vector<unsigned char> &data,
             DWORD &type) {
    HKEY key = nullptr;
    LONG rc = RegOpenKeyA(HKEY_CURRENT_USER, path.c_str(), &key);
    if (rc != ERROR_SUCCESS) return rc;
    DWORD size = 0;
    rc = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
      data.assign(size, 0);
      rc = RegQueryValueExA(key, name, nullptr, &type, data.data(), &size);
    }
    RegCloseKey(key);
    return rc;
  }
  int32_t QueryInt(const std::string &path, const char *name) {
    std::vector<unsigned char> data;
    DWORD type = 0;
    if (Query(path, name, data, type) != ERROR_SUCCESS || data.size() != 4) return -12345;
    return int32_t(data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24);
  }
  void SetInt(HKEY key, const char *name, int32_t value) {
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<BYTE *>(&value), 4));
  }
  std::vector<std::string> DirEntries() {
    std::vector<std::string> names;
    if (DIR *dir = opendir(scratch.Dir().c_str())) {
      while (dirent *e = readdir(dir))
        if (e->d_name[0] != '.') names.push_back(e->d_name);
      closedir(dir);
    }
    return names;
  }

  ScratchRegistry scratch;
};

TEST_F(RegistryFile, WrittenAsRegedit4) {
  HKEY key = Create("Software\\Far\\Plugins\\Pardune", KEY_WRITE);
  SetInt(key, "OnFly", 42);
  SetInt(key, "ColorN9", 0x89);
  const BYTE bin[] = {0xde, 0xad, 0x00};
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Blob", 0, REG_BINARY, bin, 3));
  const char text[] = "C:\\tools \"x\"";
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Path", 0, REG_SZ,
                                          reinterpret_cast<const BYTE *>(text), sizeof text));
  const BYTE multi[] = {'a', 0, 'b', 0, 0};
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Multi", 0, REG_MULTI_SZ, multi, 5));
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>("d"), 2));
  RegCloseKey(key);

  EXPECT_EQ(
      "REGEDIT4\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software]\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Far]\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Far\\Plugins]\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Far\\Plugins\\Pardune]\n"
      "\"OnFly\"=dword:0000002a\n"
      "\"ColorN9\"=dword:00000089\n"
      "\"Blob\"=hex:de,ad,00\n"
      "\"Path\"=\"C:\\\\tools \\\"x\\\"\"\n"
      "\"Multi\"=hex(7):61,00,62,00,00\n"
      "@=\"d\"\n"
      "\n",
      scratch.ReadFile());
}

TEST_F(RegistryFile, ValueNamesKeepTheirSpelling) {
  HKEY key = Create("Software\\X");
  SetInt(key, "OnFly", 1);
  SetInt(key, "ONFLY", 2);
  RegCloseKey(key);
  std::string text = scratch.ReadFile();
  EXPECT_NE(std::string::npos, text.find("\"OnFly\"=dword:00000002\n")) << text;
  EXPECT_EQ(std::string::npos, text.find("ONFLY")) << text;
}

TEST_F(RegistryFile, HandEditedFileIsRead) {
  scratch.WriteFile(
      "REGEDIT4\r\n"
      "; settings by hand\r\n"
      "\r\n"
      "[hkey_current_user\\SOFTWARE\\Far\\Plugins\\Pardune]  \r\n"
      "  \"OnFly\" = dword: 0000002A   ; on\r\n"
      "\"Odd\"=hex(99):01,02\r\n"
      "\"Long\"=hex:01,02,03,\\\r\n"
      "  04,05,\\\r\n"
      "  06\r\n"
      "\"Text\"=\"a\\\\b\"\r\n"
      "\"Gone\"=dword:1\r\n"
      "\"Gone\"=-\r\n"
      "\"Twice\"=dword:1\r\n"
      "\"TWICE\"=dword:2\r\n");
  const std::string key = "Software\\Far\\Plugins\\Pardune";
  EXPECT_EQ(42, QueryInt(key, "OnFly"));
  EXPECT_EQ(2, QueryInt(key, "twice"));
  std::vector<unsigned char> data;
  DWORD type = 0;
  ASSERT_EQ(ERROR_SUCCESS, Query(key, "Odd", data, type));
  EXPECT_EQ(0x99u, type);
  EXPECT_EQ((std::vector<unsigned char>{1, 2}), data);
  ASSERT_EQ(ERROR_SUCCESS, Query(key, "Long", data, type));
  EXPECT_EQ(DWORD(REG_BINARY), type);
  EXPECT_EQ((std::vector<unsigned char>{1, 2, 3, 4, 5, 6}), data);
  ASSERT_EQ(ERROR_SUCCESS, Query(key, "Text", data, type));
  EXPECT_EQ(std::string("a\\b", 4), std::string(data.begin(), data.end()));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Query(key, "Gone", data, type));

  // A change keeps the comments, the line endings and the untouched lines.
  HKEY writer = Create(key, KEY_WRITE);
  SetInt(writer, "OnFly", 0);
  RegCloseKey(writer);
  std::string text = scratch.ReadFile();
  EXPECT_NE(std::string::npos, text.find("; settings by hand\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("\"OnFly\"=dword:00000000\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("\"Long\"=hex:01,02,03,\\\r\n  04,05,\\\r\n  06\r\n"));
  EXPECT_NE(std::string::npos, text.find("\"Odd\"=hex(99):01,02\r\n"));
  EXPECT_EQ(1u, DirEntries().size()) << "only the file: the lock goes with the save";
  EXPECT_EQ(0, QueryInt(key, "OnFly"));
  EXPECT_EQ(2, QueryInt(key, "Twice"));
}

// A file whose line breaks were converted twice ("\r\r\n"), its last line
// without a line feed: every CR is part of the break, so the values read and
// a change writes each line back once with one CRLF.
TEST_F(RegistryFile, ExtraCarriageReturnsBelongToTheLineBreak) {
  scratch.WriteFile(
      "REGEDIT4\r\r\n"
      "\r\r\n"
      "[HKEY_CURRENT_USER\\S]\r\r\n"
      "\"OnFly\"=dword:5\r\r\n"
      "; note\r\r");
  EXPECT_EQ(5, QueryInt("S", "OnFly"));
  HKEY key = Create("S", KEY_WRITE);
  SetInt(key, "Other", 1);
  RegCloseKey(key);
  std::string text = scratch.ReadFile();
  EXPECT_EQ(std::string::npos, text.find("\r\r")) << text;
  EXPECT_NE(std::string::npos, text.find("\"OnFly\"=dword:5\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("; note\r\n")) << text;
  EXPECT_EQ(1u, DirEntries().size()) << "nothing kept aside as damaged";
  EXPECT_EQ(5, QueryInt("S", "OnFly"));
}

// Blanks at the end of a key name are part of it: read as written, and
// written back the same.
TEST_F(RegistryFile, KeyNamesKeepTheirTrailingBlanks) {
  scratch.WriteFile("REGEDIT4\n\n[ HKEY_CURRENT_USER\\S\\Spaced \t]\n\"OnFly\"=dword:5\n");
  EXPECT_EQ(5, QueryInt("S\\Spaced \t", "OnFly"));
  EXPECT_EQ(-12345, QueryInt("S\\Spaced", "OnFly"));
  HKEY key = Create("S\\Spaced \t", KEY_WRITE);
  SetInt(key, "Other", 1);
  RegCloseKey(key);
  std::string text = scratch.ReadFile();
  EXPECT_NE(std::string::npos, text.find("[HKEY_CURRENT_USER\\S\\Spaced \t]\n")) << text;
  scratch.WriteFile("\n" + text);  // read again from the file
  EXPECT_EQ(5, QueryInt("S\\Spaced \t", "OnFly"));
  EXPECT_EQ(1, QueryInt("S\\Spaced \t", "Other"));
  EXPECT_EQ(1u, DirEntries().size()) << "nothing kept aside as damaged";
}

// A comment that ends in a backslash does not continue a hex value: the
// line after it stays a line of its own, also a value added there.
TEST_F(RegistryFile, BackslashInACommentContinuesNothing) {
  scratch.WriteFile(
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\S]\n"
      "\"Blob\"=hex:01,02 ; ends in a backslash \\\n"
      "\"OnFly\"=dword:5\n");
  EXPECT_EQ(5, QueryInt("S", "OnFly"));
  HKEY key = Create("S", KEY_WRITE);
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueA(key, "OnFly"));
  SetInt(key, "Other", 1);
  RegCloseKey(key);
  std::string text = scratch.ReadFile();
  EXPECT_NE(std::string::npos, text.find("backslash \\\n\"Other\"=dword:00000001\n")) << text;
  scratch.WriteFile("\n" + text);  // read again from the file
  EXPECT_EQ(1, QueryInt("S", "Other"));
  std::vector<unsigned char> data;
  DWORD type = 0;
  ASSERT_EQ(ERROR_SUCCESS, Query("S", "Blob", data, type));
  EXPECT_EQ((std::vector<unsigned char>{1, 2}), data);
}

TEST_F(RegistryFile, OverlongValuesRoundTrip) {
  std::vector<BYTE> big(200000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = BYTE(i * 7 + 3);
  std::string longName(5000, 'n');
  HKEY key = Create("Software\\Big", KEY_WRITE);
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExA(key, longName.c_str(), 0, REG_BINARY, big.data(), DWORD(big.size())));
  const BYTE odd[] = {'x', '\n', 'y', 0};  // a string no quoted text could hold
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Odd", 0, REG_SZ, odd, 4));
  RegCloseKey(key);
  std::vector<unsigned char> data;
  DWORD type = 0;
  ASSERT_EQ(ERROR_SUCCESS, Query("Software\\Big", longName.c_str(), data, type));
  EXPECT_EQ(big, data);
  ASSERT_EQ(ERROR_SUCCESS, Query("Software\\Big", "Odd", data, type));
  EXPECT_EQ(DWORD(REG_SZ), type);
  EXPECT_EQ(std::vector<unsigned char>(odd, odd + 4), data);
  // regedit keeps lines short by continuing them.
  std::string text = scratch.ReadFile();
  size_t longest = 0, start = 0;
  for (size_t at = 0; at <= text.size(); ++at) {
    if (at == text.size() || text[at] == '\n') {
      if (text.compare(start, 1, "\"") != 0) longest = std::max(longest, at - start);
      start = at + 1;
    }
  }
  EXPECT_LE(longest, 80u);
}

struct DamagedCase {
  const char *name;
  std::string text;
  bool readable;  // OnFly=5 is still found
};

TEST_F(RegistryFile, DamagedFileKeptAside) {
  const DamagedCase cases[] = {
      {"garbage line", "REGEDIT4\n[HKEY_CURRENT_USER\\S]\n\"OnFly\"=dword:5\nthis is not a value\n",
       true},
      {"no header", "[HKEY_CURRENT_USER\\S]\n\"OnFly\"=dword:5\n", true},
      {"unknown prefix", "REGEDIT4\n[HKEY_CURRENT_USER\\S]\n\"OnFly\"=dword:5\n\"X\"=qword:1\n",
       true},
      {"bad hive", "REGEDIT4\n[HKEY_NOWHERE\\S]\n\"OnFly\"=dword:5\n", false},
      {"binary", std::string("\xff\xfeR\0E\0G\0", 8), false},
      {"unclosed header", "REGEDIT4\n[HKEY_CURRENT_USER\\S\n\"OnFly\"=dword:5\n", false},
  };
  for (const DamagedCase &c : cases) {
    SCOPED_TRACE(c.name);
    ScratchRegistry place;
    const std::string &original = c.text;
    place.WriteFile(original);
    EXPECT_EQ(c.readable ? 5 : -12345, QueryInt("S", "OnFly"));
    HKEY key = Create("S", KEY_WRITE);
    SetInt(key, "Other", 1);
    RegCloseKey(key);
    EXPECT_EQ(1, QueryInt("S", "Other"));
    EXPECT_EQ(c.readable ? 5 : -12345, QueryInt("S", "OnFly"));

    std::vector<std::string> kept;
    if (DIR *dir = opendir(place.Dir().c_str())) {
      while (dirent *e = readdir(dir))
        if (std::string(e->d_name).find(".damaged-") != std::string::npos)
          kept.push_back(place.Dir() + "/" + e->d_name);
      closedir(dir);
    }
    ASSERT_EQ(1u, kept.size());
    EXPECT_EQ(original, ScratchRegistry::ReadText(kept[0]));
    // The rewritten file is sound: a second change keeps nothing aside.
    key = Create("S", KEY_WRITE);
    SetInt(key, "Other", 2);
    RegCloseKey(key);
    size_t damaged = 0;
    if (DIR *dir = opendir(place.Dir().c_str())) {
      while (dirent *e = readdir(dir))
        damaged += std::string(e->d_name).find(".damaged-") != std::string::npos;
      closedir(dir);
    }
    EXPECT_EQ(1u, damaged);
  }
}

TEST_F(RegistryFile, UnwritablePlace) {
  // A folder that cannot be made: its parent is a file. Root can't be kept
  // out of a read-only folder, but not out of this.
  std::string blocker = scratch.Dir() + "/blocker";
  scratch.WriteFile("");
  ASSERT_EQ(0, rename(scratch.File().c_str(), blocker.c_str()));
  std::string path = blocker + "/pardune/registry.reg";
  setenv("PARDUNE_REGISTRY", path.c_str(), 1);

  HKEY key = nullptr;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyA(HKEY_CURRENT_USER, "Software\\X", &key));
  EXPECT_NE(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\X", 0, nullptr, 0,
                                           KEY_WRITE, nullptr, &key, nullptr));
  EXPECT_EQ(nullptr, key);
  // Setting a value on an open hive handle fails as well.
  int32_t v = 1;
  EXPECT_NE(ERROR_SUCCESS,
            RegSetValueExA(HKEY_CURRENT_USER, "V", 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4));
}

TEST_F(RegistryFile, ReadOnlyFileIsLeftAlone) {
  const std::string text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\S]\n\"OnFly\"=dword:00000005\n";
  scratch.WriteFile(text);
  ASSERT_EQ(0, chmod(scratch.File().c_str(), 0444));
  EXPECT_EQ(5, QueryInt("S", "OnFly"));
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "S", 0, nullptr, 0, KEY_WRITE,
                                           nullptr, &key, nullptr));  // exists: nothing to write
  int32_t v = 1;
  EXPECT_EQ(ERROR_ACCESS_DENIED,
            RegSetValueExA(key, "OnFly", 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4));
  v = 5;  // what the file holds: nothing to write
  EXPECT_EQ(ERROR_SUCCESS,
            RegSetValueExA(key, "onfly", 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4));
  RegCloseKey(key);
  EXPECT_NE(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "T", 0, nullptr, 0, KEY_WRITE,
                                           nullptr, &key, nullptr));
  EXPECT_EQ(text, scratch.ReadFile());
}

TEST_F(RegistryFile, XdgConfigHomeHoldsTheFile) {
  unsetenv("PARDUNE_REGISTRY");
  const char *oldXdg = getenv("XDG_CONFIG_HOME");
  std::string saved = oldXdg ? oldXdg : "";
  setenv("XDG_CONFIG_HOME", scratch.Dir().c_str(), 1);
  RegCloseKey(Create("Software\\Xdg"));
  struct stat st;
  EXPECT_EQ(0, stat((scratch.Dir() + "/pardune/registry.reg").c_str(), &st));
  EXPECT_EQ(0600u, st.st_mode & 0777);
  if (oldXdg)
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
}

TEST_F(RegistryFile, ProgramsWritingAtOnceLoseNothing) {
  const int programs = 4, values = 25;
  std::vector<pid_t> children;
  for (int p = 0; p < programs; ++p) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      bool ok = true;
      for (int i = 0; i < values; ++i) {
        HKEY key = nullptr;
        std::string name = "P" + std::to_string(p) + "V" + std::to_string(i);
        int32_t v = p * 1000 + i;
        ok = ok && RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Race", 0, nullptr, 0, KEY_WRITE,
                                   nullptr, &key, nullptr) == ERROR_SUCCESS;
        ok = ok && RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE *>(&v),
                                  4) == ERROR_SUCCESS;
        RegCloseKey(key);
      }
      _exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(pid, waitpid(pid, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int p = 0; p < programs; ++p)
    for (int i = 0; i < values; ++i) {
      std::string name = "P" + std::to_string(p) + "V" + std::to_string(i);
      EXPECT_EQ(p * 1000 + i, QueryInt("Software\\Race", name.c_str())) << name;
    }
}

TEST_F(RegistryFile, SymlinkedFileStaysALink) {
  std::string real = scratch.Dir() + "/real.reg";
  std::string link = scratch.Dir() + "/link.reg";
  ASSERT_EQ(0, symlink(real.c_str(), link.c_str()));
  scratch.WriteFile("");  // leaves registry.reg; the link is used below
  setenv("PARDUNE_REGISTRY", link.c_str(), 1);
  {
    std::ofstream out(real);
    out << "REGEDIT4\n";
  }
  HKEY key = Create("Software\\L", KEY_WRITE);
  SetInt(key, "V", 9);
  RegCloseKey(key);
  struct stat st;
  ASSERT_EQ(0, lstat(link.c_str(), &st));
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_NE(std::string::npos, ScratchRegistry::ReadText(real).find("\"V\"=dword:00000009"));
}

// A file rewritten in place to the same length, its time of change put back
// as an editor may: the settings are read anew, not taken from the last read.
TEST_F(RegistryFile, FileRewrittenWithItsOldTimeIsReadAgain) {
  const std::string key = "Software\\Far\\Plugins\\Pardune";
  const std::string head = "REGEDIT4\n\n[HKEY_CURRENT_USER\\" + key + "]\n";
  scratch.WriteFile(head + "\"OnFly\"=dword:00000001\n");
  struct stat before;
  ASSERT_EQ(0, stat(scratch.File().c_str(), &before));
  EXPECT_EQ(1, QueryInt(key, "OnFly"));
  EXPECT_EQ(1, QueryInt(key, "OnFly"));  // the kept copy

  usleep(20 * 1000);  // past the file system's clock tick
  {
    std::fstream file(scratch.File(), std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(std::streamoff(head.size() + std::string("\"OnFly\"=dword:0000000").size()));
    file << '2';
  }
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(0, utimensat(AT_FDCWD, scratch.File().c_str(), times, 0));
  struct stat after;
  ASSERT_EQ(0, stat(scratch.File().c_str(), &after));
  ASSERT_EQ(before.st_size, after.st_size);
  EXPECT_EQ(2, QueryInt(key, "OnFly"));
}

}  // namespace
