// The script parser: a script is either commands or one "line N: ..." error.
#include "app/script.hpp"
#include "support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string script = AsString(data, size);
  for (int codePage : {437, 866}) {
    std::vector<app::ScriptCommand> commands;
    std::string error;
    if (app::ParseScript(script, codePage, &commands, &error)) {
      FuzzCheck(error.empty(), "an error with success", error);
      for (const app::ScriptCommand &c : commands) {
        FuzzCheck(c.line >= 1, "a command without its line");
        FuzzCheck(c.kind != app::ScriptCommand::Key || c.count >= 1, "a key pressed no times");
      }
    } else {
      FuzzCheck(error.compare(0, 5, "line ") == 0, "an error without its line", error);
    }
  }
  std::string text, error;
  if (!app::UnescapeText(script, &text, &error))
    FuzzCheck(!error.empty(), "a bad escape without a message");
  return 0;
}
