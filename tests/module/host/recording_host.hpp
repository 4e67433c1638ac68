// A startup record and a service table whose entries record their calls, for
// driving the module's entry points.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "far170/plugin.hpp"
#include "kestrum/kestrum.hpp"

struct MessageCall {
  int moduleNumber;
  DWORD flags;
  const char *helpTopic;
  std::string text;  // Items read as one text (FMSG_ALLINONE)
  int itemCount;
  int buttonCount;
};

struct AdvControlCall {
  int moduleNumber;
  int command;
};

struct RecordingHost {
  PluginStartupInfo info;
  EngineTable table;
  std::string rootKey = "Software\\Far\\Plugins";
  // What AdvControl answers to ACTL_GETFARVERSION.
  int advResult = 1;
  DWORD version = MakeFarVersion(1, 70, 2087);
  // Texts LookupMessage knows; any other key comes back as itself.
  std::map<std::string, std::string> messages;

  std::vector<MessageCall> messageCalls;
  std::vector<AdvControlCall> advCalls;
  std::vector<std::string> registered;  // module names passed to Register
  SubPluginRecord *registeredRecord = nullptr;
  std::vector<std::string> lookups;  // keys asked for
  std::vector<SubPluginRecord *> lookupRecords;
};

// The one recording host; Reset gives a fresh record and table with every service
// pointing at the recorders, module number 7.
RecordingHost &Fake();
void ResetFake();
