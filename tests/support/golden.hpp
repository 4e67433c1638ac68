// Golden screens: a readable dump of the stand-in's screen, compared with a
// file; with PARDUNE_UPDATE_GOLDEN=1 in the environment the file is written.
#pragma once

#include <string>

namespace test_support {

// Text of an OEM screen: box characters as Unicode, other bytes outside
// printable ASCII as \xNN.
std::string Readable(const std::string &oem);

// Readable text, then "-- attributes --" and the attribute map.
std::string ScreenDump(const std::string &text, const std::string &attributes);

// Compares with <dir>/<name>.txt.
void ExpectGolden(const std::string &dir, const std::string &name, const std::string &actual);

}  // namespace test_support
