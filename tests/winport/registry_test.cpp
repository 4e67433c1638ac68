// The registry calls the module makes, answered the same by Windows and by
// winport's registry file.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "winport/scratch_registry.hpp"

namespace {

class Registry : public ::testing::Test {
 protected:
  HKEY Create(const std::string &sub, REGSAM access = KEY_WRITE, DWORD *disposition = nullptr) {
    HKEY key = nullptr;
    DWORD ignored = 0;
    LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, scratch.Key(sub).c_str(), 0, nullptr, 0, access,
                              nullptr, &key, disposition ? disposition : &ignored);
    EXPECT_EQ(ERROR_SUCCESS, rc) << sub;
    return key;
  }
  LONG Open(const std::string &path, HKEY *key) {
    return RegOpenKeyA(HKEY_CURRENT_USER, path.c_str(), key);
  }
  void Set(HKEY key, const char *name, DWORD type, const void *data, DWORD size) {
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size));
  }
  void SetInt(HKEY key, const char *name, int32_t value) { Set(key, name, REG_DWORD, &value, 4); }

  ScratchRegistry scratch;
};

TEST_F(Registry, KeyMissingUntilCreated) {
  HKEY key = nullptr;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Open(scratch.Key("Pardune"), &key));
  DWORD disposition = 0;
  HKEY created = Create("Pardune", KEY_WRITE, &disposition);
  EXPECT_EQ(DWORD(REG_CREATED_NEW_KEY), disposition);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(created));
  ASSERT_EQ(ERROR_SUCCESS, Open(scratch.Key("Pardune"), &key));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  created = Create("Pardune", KEY_WRITE, &disposition);
  EXPECT_EQ(DWORD(REG_OPENED_EXISTING_KEY), disposition);
  RegCloseKey(created);
}

TEST_F(Registry, WriteOnlyHandleCannotQuery) {
  HKEY key = Create("Pardune");
  SetInt(key, "OnFly", 7);
  int32_t value = 0;
  DWORD size = 4;
  EXPECT_EQ(ERROR_ACCESS_DENIED, RegQueryValueExA(key, "OnFly", nullptr, nullptr,
                                                  reinterpret_cast<BYTE *>(&value), &size));
  EXPECT_EQ(ERROR_ACCESS_DENIED, RegQueryValueExA(key, "Missing", nullptr, nullptr,
                                                  reinterpret_cast<BYTE *>(&value), &size));
  RegCloseKey(key);

  // RegOpenKeyA opens with full access: read and write.
  ASSERT_EQ(ERROR_SUCCESS, Open(scratch.Key("Pardune"), &key));
  size = 4;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "OnFly", nullptr, nullptr,
                                            reinterpret_cast<BYTE *>(&value), &size));
  EXPECT_EQ(7, value);
  SetInt(key, "OnFly", 8);
  RegCloseKey(key);
}

TEST_F(Registry, ReadOnlyHandleCannotSet) {
  RegCloseKey(Create("Pardune"));
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegOpenKeyExA(HKEY_CURRENT_USER, scratch.Key("Pardune").c_str(), 0, KEY_READ, &key));
  int32_t value = 1;
  EXPECT_EQ(ERROR_ACCESS_DENIED,
            RegSetValueExA(key, "OnFly", 0, REG_DWORD, reinterpret_cast<BYTE *>(&value), 4));
  RegCloseKey(key);
}

struct Stored {
  const char *name;
  DWORD type;
  std::vector<unsigned char> data;
  LONG rc;         // reading into a 4-byte buffer
  int32_t result;  // the four bytes as an integer, when rc is ERROR_SUCCESS
};

TEST_F(Registry, FourByteBufferTable) {
  const Stored table[] = {
      {"Dword", REG_DWORD, {0x2a, 0, 0, 0}, ERROR_SUCCESS, 42},
      {"Negative", REG_DWORD, {0xff, 0xff, 0xff, 0xff}, ERROR_SUCCESS, -1},
      {"Text", REG_SZ, {'a', 'b', 'c', 0}, ERROR_SUCCESS, 0x00636261},
      {"Binary", REG_BINARY, {1, 2, 3, 4}, ERROR_SUCCESS, 0x04030201},
      {"LongBinary", REG_BINARY, {1, 2, 3, 4, 5}, ERROR_MORE_DATA, 0},
      {"LongText", REG_SZ, {'a', 'b', 'c', 'd', 0}, ERROR_MORE_DATA, 0},
      {"Qword", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, ERROR_MORE_DATA, 0},
  };
  HKEY writer = Create("Pardune");
  for (const Stored &s : table) Set(writer, s.name, s.type, s.data.data(), DWORD(s.data.size()));
  RegCloseKey(writer);

  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, Open(scratch.Key("Pardune"), &key));
  for (const Stored &s : table) {
    SCOPED_TRACE(s.name);
    int32_t value = 0;
    DWORD size = 4, type = 0;
    LONG rc =
        RegQueryValueExA(key, s.name, nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
    EXPECT_EQ(s.rc, rc);
    EXPECT_EQ(s.type, type);
    if (rc == ERROR_SUCCESS) {
      EXPECT_EQ(s.result, value);
      EXPECT_EQ(4u, size);
    }
    if (s.type != REG_SZ) {
      EXPECT_EQ(DWORD(s.data.size()), size);  // the size needed comes back
    }
    // No buffer: the size alone.
    size = 0;
    type = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, s.name, nullptr, &type, nullptr, &size));
    EXPECT_EQ(s.type, type);
    if (s.type != REG_SZ) {
      EXPECT_EQ(DWORD(s.data.size()), size);
    }
  }
  RegCloseKey(key);
}

TEST_F(Registry, ShortDataFillsLowBytes) {
  HKEY writer = Create("Pardune");
  unsigned char two[] = {0x34, 0x12};
  Set(writer, "Short", REG_BINARY, two, 2);
  Set(writer, "Empty", REG_BINARY, two, 0);
  RegCloseKey(writer);
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, Open(scratch.Key("Pardune"), &key));
  int32_t value = 0;
  DWORD size = 4;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Short", nullptr, nullptr,
                                            reinterpret_cast<BYTE *>(&value), &size));
  EXPECT_EQ(2u, size);
  EXPECT_EQ(0x1234, value & 0xFFFF);
  size = 4;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Empty", nullptr, nullptr,
                                            reinterpret_cast<BYTE *>(&value), &size));
  EXPECT_EQ(0u, size);
  RegCloseKey(key);
}

TEST_F(Registry, MissingValue) {
  HKEY key = Create("Pardune", KEY_ALL_ACCESS);
  int32_t value = 0;
  DWORD size = 4;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, "Nothing", nullptr, nullptr,
                                                   reinterpret_cast<BYTE *>(&value), &size));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueA(key, "Nothing"));
  SetInt(key, "Gone", 1);
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(key, "Gone"));
  size = 4;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, "Gone", nullptr, nullptr,
                                                   reinterpret_cast<BYTE *>(&value), &size));
  RegCloseKey(key);
}

TEST_F(Registry, NestedCreation) {
  HKEY key = nullptr;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Open(scratch.Root(), &key));
  DWORD disposition = 0;
  HKEY deep = Create("A\\B\\C", KEY_WRITE, &disposition);
  EXPECT_EQ(DWORD(REG_CREATED_NEW_KEY), disposition);
  SetInt(deep, "Deep", 3);
  RegCloseKey(deep);
  for (const char *path : {"", "A", "A\\B", "A\\B\\C"}) {
    SCOPED_TRACE(path);
    std::string full = *path ? scratch.Key(path) : scratch.Root();
    ASSERT_EQ(ERROR_SUCCESS, Open(full, &key));
    RegCloseKey(key);
  }
  // A sub-key opened relative to an open key.
  HKEY parent = nullptr, child = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, Open(scratch.Key("A"), &parent));
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(parent, "B\\C", &child));
  int32_t value = 0;
  DWORD size = 4;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(child, "Deep", nullptr, nullptr,
                                            reinterpret_cast<BYTE *>(&value), &size));
  EXPECT_EQ(3, value);
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyA(parent, "C", &key));
  RegCloseKey(child);
  RegCloseKey(parent);
}

TEST_F(Registry, DeleteKeyNeedsNoSubKeys) {
  RegCloseKey(Create("A\\B"));
  EXPECT_NE(ERROR_SUCCESS, RegDeleteKeyA(HKEY_CURRENT_USER, scratch.Key("A").c_str()));
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_CURRENT_USER, scratch.Key("A\\B").c_str()));
  HKEY key = nullptr;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Open(scratch.Key("A\\B"), &key));
  ASSERT_EQ(ERROR_SUCCESS, Open(scratch.Key("A"), &key));  // the parent stays
  RegCloseKey(key);
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_CURRENT_USER, scratch.Key("A").c_str()));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyA(HKEY_CURRENT_USER, scratch.Key("A").c_str()));
}

TEST_F(Registry, NamesIgnoreCase) {
  HKEY writer = Create("Pardune");
  SetInt(writer, "ColorN1", 0x17);
  SetInt(writer, "COLORN1", 0x18);  // the same value
  RegCloseKey(writer);

  HKEY key = nullptr;
  std::string other = scratch.Key("PARDUNE");
  for (char &c : other) c = char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  ASSERT_EQ(ERROR_SUCCESS, Open(other, &key));
  for (const char *name : {"ColorN1", "colorn1", "COLORN1"}) {
    int32_t value = 0;
    DWORD size = 4;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, name, nullptr, nullptr,
                                              reinterpret_cast<BYTE *>(&value), &size));
    EXPECT_EQ(0x18, value) << name;
  }
  RegCloseKey(key);
  DWORD disposition = 0;
  RegCloseKey(Create("pardune", KEY_WRITE, &disposition));
  EXPECT_EQ(DWORD(REG_OPENED_EXISTING_KEY), disposition);
}

TEST_F(Registry, DefaultValue) {
  HKEY key = Create("Pardune", KEY_ALL_ACCESS);
  const char text[] = "default";
  Set(key, nullptr, REG_SZ, text, sizeof text);
  char buffer[32] = {};
  DWORD size = sizeof buffer, type = 0;
  EXPECT_EQ(ERROR_SUCCESS,
            RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size));
  EXPECT_EQ(DWORD(REG_SZ), type);
  EXPECT_STREQ("default", buffer);
  RegCloseKey(key);
}

TEST_F(Registry, BadArguments) {
  HKEY key = Create("Pardune", KEY_ALL_ACCESS);
  SetInt(key, "OnFly", 1);
  int32_t value = 0;
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegQueryValueExA(key, "OnFly", nullptr, nullptr,
                                                      reinterpret_cast<BYTE *>(&value), nullptr));
  DWORD type = 0;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "OnFly", nullptr, &type, nullptr, nullptr));
  EXPECT_EQ(DWORD(REG_DWORD), type);
  RegCloseKey(key);
}

TEST_F(Registry, DeletedKeyHandle) {
  HKEY key = Create("Gone", KEY_ALL_ACCESS);
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_CURRENT_USER, scratch.Key("Gone").c_str()));
  int32_t value = 1;
  DWORD size = 4;
  EXPECT_EQ(ERROR_KEY_DELETED,
            RegQueryValueExA(key, "V", nullptr, nullptr, reinterpret_cast<BYTE *>(&value), &size));
  EXPECT_EQ(ERROR_KEY_DELETED,
            RegSetValueExA(key, "V", 0, REG_DWORD, reinterpret_cast<BYTE *>(&value), 4));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(Registry, HiveHandle) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, nullptr, &key));
  EXPECT_EQ(HKEY_CURRENT_USER, key);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  RegCloseKey(Create("Pardune"));
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, "", &key));
  HKEY sub = nullptr;
  EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(key, scratch.Key("Pardune").c_str(), &sub));
  RegCloseKey(sub);
}

}  // namespace
