// The language file parser: any bytes give texts and problems, never a crash.
#include "codec/codec.hpp"
#include "kestrum/language.hpp"
#include "support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string contents = AsString(data, size);
  kestrum::LanguageData parsed = kestrum::ParseLanguage(contents);
  for (const auto &[key, text] : parsed.texts) {
    FuzzCheck(!key.empty(), "empty key");
    FuzzCheck(key.find('\n') == std::string::npos, "key holds a line break", key);
    FuzzCheck(text.find('\0') == std::string::npos, "text holds a NUL", key);
    std::string oem = codec::Utf8ToOem(text);
    FuzzCheck(oem.size() <= text.size(), "OEM text longer than its UTF-8", text);
  }
  for (const auto &problem : parsed.problems)
    FuzzCheck(problem.line >= 0 && !problem.reason.empty(), "odd problem", problem.reason);
  if (contents.size() > 64) kestrum::LanguageFilePath("/m/Pardune.kmx", contents.substr(64, 16));
  return 0;
}
