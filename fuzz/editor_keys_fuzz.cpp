// Key sequences against the tester's two editors on the file manager
// stand-in: the editors' keys, typed characters, clicks and resizes through
// the dialog, and between them the calls the tester makes on the editors
// (notifications) and new clipboard texts. The editors' invariants, the
// selection's among them, must hold after every step.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/clipboard.hpp"
#include "input_backend.hpp"
#include "support.hpp"
#include "test_dialog.hpp"

namespace {

void CheckEditor(const LineEditor &e, const char *which) {
  std::string state = std::string(which) + ": lineCount " + std::to_string(e.lineCount) +
                      " capacity " + std::to_string(e.capacity) + " cursorRow " +
                      std::to_string(e.cursorRow) + " rowCount " + std::to_string(e.rowCount) +
                      " topLine " + std::to_string(e.topLine);
  FuzzCheck(e.lineCount >= 1 && e.lineCount <= e.capacity, "line count", state);
  FuzzCheck(e.cursorRow >= 0 && e.cursorRow < e.rowCount, "cursor row", state);
  FuzzCheck(e.CurrentLine() < e.lineCount, "current line", state);
  FuzzCheck(e.topLine + e.rowCount <= e.lineCount || e.topLine == 0, "top line", state);
  for (int i = 0; i < e.lineCount; i++) {
    FuzzCheck(e.lines[i] != nullptr, "a missing line", state);
    FuzzCheck(!strpbrk(e.lines[i], "\r\n"), "a line break inside a line", state);
  }
  // The selection: none, or from its start to its end within the text.
  const Region &sel = e.regions[0];
  state += " selection " + std::to_string(sel.startColumn) + "," + std::to_string(sel.startLine) +
           "-" + std::to_string(sel.endColumn) + "," + std::to_string(sel.endLine);
  FuzzCheck(
      sel.IsNull() || (sel.startLine >= 0 && sel.startLine <= sel.endLine &&
                       sel.endLine < e.lineCount && sel.startColumn >= 0 && sel.endColumn >= 0 &&
                       (sel.startLine < sel.endLine || sel.startColumn <= sel.endColumn)),
      "selection", state);
}

// One of the tester's calls on an editor; true when the step was used.
bool Notify(TestDialog &t, FuzzBytes &bytes) {
  if (bytes.Below(4) != 0) return false;
  bool expression = bytes.Byte() & 1;
  LineEditor &e = expression ? static_cast<LineEditor &>(t.expression) : t.text;
  const char *which = expression ? "expression" : "text";
  switch (bytes.Below(8)) {
    case 0: {
      std::string text = bytes.Text(255);
      FuzzTrace("%s: SetText \"%s\"", which, text.c_str());
      e.SetText(text.c_str());
      break;
    }
    case 1: {
      std::string text = bytes.Text(255);
      FuzzTrace("%s: PasteAll \"%s\"", which, text.c_str());
      ClipboardPut(text.c_str(), static_cast<int>(text.size()));
      e.PasteAll();
      break;
    }
    case 2:
      FuzzTrace("%s: CopyAll", which);
      e.CopyAll();
      break;
    case 3: {
      int line = bytes.Below(130) - 5, column = bytes.Below(300) - 5;
      bool force = bytes.Byte() & 1;
      FuzzTrace("%s: MoveTo %d %d %d", which, line, column, force);
      e.MoveTo(line, column, force);
      break;
    }
    case 4: {  // a highlight, as the tester sets them; the selection is the user's
      int index = 1 + bytes.Below(e.regionCount);
      int sc = bytes.Below(300) - 5, sl = bytes.Below(130) - 5;
      int ec = bytes.Below(300) - 5, el = bytes.Below(130) - 5;
      FuzzTrace("%s: region %d set %d %d %d %d", which, index, sc, sl, ec, el);
      if (Region *region = e.GetRegion(index)) {
        region->Set(sc, sl, ec, el);
        region->color = bytes.Byte();
      }
      e.DrawRegions();
      break;
    }
    case 5:
      FuzzTrace("%s: Refresh", which);
      e.Refresh();
      break;
    case 6: {
      std::string text = bytes.Text(255);
      FuzzTrace("clipboard \"%s\"", text.c_str());
      ClipboardPut(text.c_str(), static_cast<int>(text.size()));
      break;
    }
    default:
      FuzzTrace("%s: UpdateStatus", which);
      static_cast<StatusLineEditor &>(e).UpdateStatus();
      break;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  // The clipboard store of this process only; nothing of the user's.
  static std::string path =
      FuzzTempFolder() + "/pardune-fuzz-clipboard-" + std::to_string(getpid());
  setenv("PARDUNE_CLIPBOARD", path.c_str(), 1);
  std::atexit([] { std::remove(path.c_str()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // Each input starts from an empty clipboard, so what it finds it repeats.
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
  FuzzBytes bytes(data, size);
  TestDialog t;
  bool ready = false;
  t.onInit = [&ready](TestDialog &) { ready = true; };
  FuzzInputBackend backend(bytes, 200);
  backend.beforeEach = [&](FuzzBytes &b) {
    if (!ready) return false;
    CheckEditor(t.text, "text");
    CheckEditor(t.expression, "expression");
    return Notify(t, b);
  };
  t.Run();
  if (ready) {
    CheckEditor(t.text, "text");
    CheckEditor(t.expression, "expression");
  }
  return 0;
}
