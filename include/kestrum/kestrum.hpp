// The host plug-in's service table and the records that pass through it.
#pragma once

#include <windows.h>

#include "far170/plugin.hpp"

#pragma pack(push, 4)

typedef void *EngineHandle;

struct SubPluginRecord {
  unsigned char Data[512];
};

// Filled by the module's GetInfo.
struct SubPluginInfo {
  int StructSize;
  int Flags;
  char Name[64];
};

enum { kMatchEntries = 16 };

struct MatchRecord {
  int Start[kMatchEntries];
  int End[kMatchEntries];
  int Count;
};

typedef int(WINAPI *KestrumRegister)(const char *moduleName, SubPluginRecord *record);
typedef const char *(WINAPI *KestrumLookupMessage)(SubPluginRecord *record, const char *key,
                                                   int reserved1, int reserved2);
typedef EngineHandle(WINAPI *KestrumCreateEngine)();
typedef int(WINAPI *KestrumDestroyEngine)(EngineHandle *handle);
typedef int(WINAPI *KestrumSetNoMoves)(EngineHandle handle, int noMoves);
typedef int(WINAPI *KestrumSetExpression)(EngineHandle handle, const char *expression,
                                          int reserved1, int reserved2);
typedef int(WINAPI *KestrumParse)(EngineHandle handle, const char *text, const char *from,
                                  const char *last, MatchRecord *match, int reserved1,
                                  int reserved2);

// 86 pointer-sized slots; the module uses 2, 3 and 19 to 23.
struct EngineTable {
  void *Reserved0[2];
  KestrumRegister Register;            // 2
  KestrumLookupMessage LookupMessage;  // 3
  void *Reserved4[15];                 // 4..18
  KestrumCreateEngine CreateEngine;    // 19
  KestrumDestroyEngine DestroyEngine;  // 20
  KestrumSetNoMoves SetNoMoves;        // 21
  KestrumSetExpression SetExpression;  // 22
  KestrumParse Parse;                  // 23
  void *Reserved24[62];                // 24..85
};

#pragma pack(pop)

static_assert(sizeof(EngineTable) == 86 * sizeof(void *), "EngineTable slots");
static_assert(sizeof(MatchRecord) == 132, "MatchRecord");
static_assert(sizeof(SubPluginInfo) == 72, "SubPluginInfo");
static_assert(sizeof(SubPluginRecord) == 512, "SubPluginRecord");
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(EngineTable) == 344, "EngineTable");
#endif

// The module's exports.
extern "C" {
typedef void(WINAPI *PardunePluginStart)(const PluginStartupInfo *info, const EngineTable *table);
typedef void(WINAPI *PardunePluginGetInfo)(SubPluginInfo *info);
typedef int(WINAPI *PardunePluginRun)(int a, int b, int c);
typedef void(WINAPI *PardunePluginExit)();
}
