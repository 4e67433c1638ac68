// The whole tester in-process: the file manager stand-in headless, the
// module, the PCRE2 engine. The input is what a user does, one byte a step:
//
//   printable bytes and 0x80..0xFF  typed into the focused editor
//   0x09 Tab, 0x0A/0x0D Enter, 0x7F Backspace, 0x15 Esc, 0x16 Shift+Tab
//   0x06 Alt+F find, 0x07 Alt+X next, 0x08 Alt+P / 0x0B Alt+A paste,
//   0x0C Alt+L load, 0x0E Alt+C / 0x0F Alt+Y copy, 0x10 Alt+U / 0x11 Alt+K
//   unmark, 0x12 PgDn, 0x13 Alt+S close, 0x14 Ctrl+Ins
//   0x17..0x1F Left Right Up Down Home End Del Ctrl+V Ctrl+Y
//   0x01 k m     key k of the table below with modifier m (Alt+O, the
//                options dialog, is 0x01 0x17 0x05: its save rewrites the
//                registry value by value, too slow to be one byte away)
//   0x02 n t..   the clipboard holds the n bytes t
//   0x03 b       options: 1 SingleLines, 2 ReNoMoves, 4 FromCursor,
//                8 StripSpace, 16 OnFly off, 32 HandleErrors
//   0x04 x y b   a click at x, y with button b
//   0x05 w h     the screen resized
//   0x00         the screen drawn: the tester is drawn only when a step asks
//                (once after each event)
//
// A message box (the watchdog's report, a question) is answered by the next
// step: Esc when that is Esc, else Enter. The input ends after the
// watchdog's second report: an expression that hangs would hang at every key.
// After every event the tester must hold: both status lines empty or one of
// the module's texts 40 to 49; the group regions cleared or, once a search
// has run, within the text it ran on.
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "farhost/dialog.hpp"
#include "farhost/farhost.hpp"
#include "farhost/host_editor.hpp"
#include "farhost/message.hpp"
#include "host/clipboard.hpp"
#include "host/host_state.hpp"
#include "kestrum/service_table.hpp"
#include "settings/settings.hpp"
#include "support.hpp"
#include "support/test_files.hpp"
#include "tester/tester.hpp"
#include "tester/tester_dialog.hpp"
#include "tester/watchdog.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int kEventBudget = 400;
// A catastrophic expression costs this much of the run, and the box. As
// short as the soaks' wait: a call of the engine that is slow rather than
// stuck is stopped too, part-way, which the engine must take.
constexpr DWORD kWatchdogMs = 3;
constexpr int kMostReports = 2;

const DWORD kKeys[] = {KEY_LEFT, KEY_RIGHT, KEY_UP,  KEY_DOWN, KEY_HOME, KEY_END,   KEY_PGUP,
                       KEY_PGDN, KEY_BS,    KEY_DEL, KEY_INS,  KEY_TAB,  KEY_ENTER, KEY_SPACE,
                       KEY_F1,   KEY_ESC,   'A',     'C',      'D',      'F',       'K',
                       'L',      'N',       'O',     'P',      'S',      'U',       'V',
                       'X',      'Y',       'H',     'B',      '1',      'G'};

struct ControlKey {
  uint8_t code;
  DWORD key;
};
const ControlKey kControlKeys[] = {
    {0x06, KEY_ALT | 'F'},
    {0x07, KEY_ALT | 'X'},
    {0x08, KEY_ALT | 'P'},
    {0x09, KEY_TAB},
    {0x0A, KEY_ENTER},
    {0x0B, KEY_ALT | 'A'},
    {0x0C, KEY_ALT | 'L'},
    {0x0D, KEY_ENTER},
    {0x0E, KEY_ALT | 'C'},
    {0x0F, KEY_ALT | 'Y'},
    {0x10, KEY_ALT | 'U'},
    {0x11, KEY_ALT | 'K'},
    {0x12, KEY_PGDN},
    {0x13, KEY_ALT | 'S'},
    {0x14, KEY_CTRL | KEY_INS},
    {0x15, KEY_ESC},
    {0x16, KEY_SHIFT | KEY_TAB},
    {0x17, KEY_LEFT},
    {0x18, KEY_RIGHT},
    {0x19, KEY_UP},
    {0x1A, KEY_DOWN},
    {0x1B, KEY_HOME},
    {0x1C, KEY_END},
    {0x1D, KEY_DEL},
    {0x1E, KEY_CTRL | 'V'},
    {0x1F, KEY_CTRL | 'Y'},
    {0x7F, KEY_BS},
};
constexpr uint8_t kEscCode = 0x15;

// Where this process keeps its files: the module's folder (language, help,
// hang log), the registry, the clipboard, the file manager's editor.
fs::path gFolder;
std::string gModulePath;

// The host's services, counted: boxes and dialogs open, searches made.
PluginStartupInfo gHostInfo;
EngineTable gEngineTable;
const EngineTable *gKestrum = nullptr;
int gBoxes = 0;
int gReports = 0;  // of the watchdog, in this input
int gDialogs = 0;
std::atomic<int> gParses{0};

int WINAPI CountedMessage(int number, DWORD flags, const char *topic, const char *const *items,
                          int count, int buttons) {
  if (flags & FMSG_LEFTALIGN) ++gReports;  // no other box of the module is left aligned
  ++gBoxes;
  int answer = farhost::Message(number, flags, topic, items, count, buttons);
  --gBoxes;
  return answer;
}

int WINAPI CountedDialog(int number, int x1, int y1, int x2, int y2, const char *topic,
                         FarDialogItem *items, int count, DWORD reserved, DWORD flags,
                         FARWINDOWPROC proc, LONG_PTR param) {
  ++gDialogs;
  int closed =
      farhost::DialogEx(number, x1, y1, x2, y2, topic, items, count, reserved, flags, proc, param);
  --gDialogs;
  return closed;
}

int WINAPI CountedParse(EngineHandle engine, const char *text, const char *from, const char *last,
                        MatchRecord *match, int reserved1, int reserved2) {
  gParses++;
  return gKestrum->Parse(engine, text, from, last, match, reserved1, reserved2);
}

// The module's texts 40 to 49 as Kestrum's language file gives them.
std::string gStatusTexts[10];

std::string Lookup(int id) {
  const char *text = gKestrum->LookupMessage(&Host.SubPlugin, std::to_string(id).c_str(), 0, 0);
  return text ? text : "";
}

// The text as `format` prints it with positive numbers for its %d.
bool FormattedWithPositives(const std::string &format, const std::string &text, int *numbers,
                            int most) {
  size_t t = 0;
  int found = 0;
  for (size_t f = 0; f < format.size(); ++f) {
    if (format.compare(f, 2, "%d") == 0) {
      if (found == most || t >= text.size() || text[t] < '1' || text[t] > '9') return false;
      long value = 0;
      while (t < text.size() && text[t] >= '0' && text[t] <= '9' && value < 100000)
        value = value * 10 + (text[t++] - '0');
      numbers[found++] = static_cast<int>(value);
      ++f;
    } else if (t >= text.size() || text[t++] != format[f]) {
      return false;
    }
  }
  return t == text.size() && found == most;
}

// Empty, one of 40 to 49, or 47 with two positive numbers (column, line).
bool IsStatusText(const std::string &text, int *column, int *line) {
  *column = *line = 0;
  if (text.empty()) return true;
  for (int i = 0; i < 10; ++i) {
    if (i == 7) continue;
    if (text == gStatusTexts[i]) return true;
  }
  int numbers[2];
  if (!FormattedWithPositives(gStatusTexts[7], text, numbers, 2)) return false;
  *column = numbers[0];
  *line = numbers[1];
  return true;
}

std::string ItemText(farhost::Dialog *dialog, int item) {
  char text[kItemTextSize] = {};
  FarDialogItemData data = {kItemTextSize - 1, text};
  dialog->Message(DM_GETTEXT, item, reinterpret_cast<LONG_PTR>(&data));
  return text;
}

std::string Describe(const Region &r) {
  return std::to_string(r.startColumn) + "," + std::to_string(r.startLine) + "-" +
         std::to_string(r.endColumn) + "," + std::to_string(r.endLine);
}

// A place in the fetched text: a column of a line up to its end, or the end
// after the last line's line feed.
bool InText(const LineEditor &text, int column, int line) {
  if (line == text.lineCount) return column == 0;
  return line >= 0 && line < text.lineCount && column >= 0 && column <= text.LineLength(line);
}

void CheckTester(bool searched) {
  FuzzCheck(Tester != nullptr, "no tester while its dialog runs");
  farhost::Dialog *dialog = farhost::FindDialog(Tester->dialog.handle);
  FuzzCheck(dialog != nullptr, "the tester's handle names no dialog");
  int column, line;
  const std::string expressionStatus = ItemText(dialog, kExpressionStatus);
  FuzzCheck(IsStatusText(expressionStatus, &column, &line), "expression status", expressionStatus);
  FuzzCheck(column == 0, "a match position in the expression status", expressionStatus);
  const std::string textStatus = ItemText(dialog, kTextStatus);
  FuzzCheck(IsStatusText(textStatus, &column, &line), "text status", textStatus);

  const ExaminedTextEditor &text = Tester->text;
  if (FuzzTracing())
    FuzzTrace("  options %d%d%d%d%d, status \"%s\" \"%s\", match %s%s", Settings.OnFly,
              Settings.SingleLines, Settings.ReNoMoves, Settings.FromCursor, Settings.StripSpace,
              textStatus.c_str(), expressionStatus.c_str(),
              Describe(*Tester->text.GetRegion(GroupRegions[0])).c_str(),
              searched ? ", searched" : "");
  for (int k = 0; k < kGroupColorCount; ++k) {
    const Region *region = Tester->text.GetRegion(GroupRegions[k]);
    if (region == nullptr) FuzzFail("a group without its region", std::to_string(k));
    if (region->IsNull()) continue;
    // Described only when a rule is broken: the checks run after every event.
    auto fail = [&](const char *what) {
      FuzzFail(what, "group " + std::to_string(k) + " at " + Describe(*region) + ", lines " +
                         std::to_string(text.lineCount));
    };
    if (region->startLine < 0 || region->startColumn < 0 || region->endColumn < 0)
      fail("a region before the text");
    if (region->startLine > region->endLine ||
        (region->startLine == region->endLine && region->startColumn > region->endColumn))
      fail("a region that ends before it starts");
    // Regions stay as they are while the text is edited; they are measured
    // against the text a search has just run on.
    if (searched && !(InText(text, region->startColumn, region->startLine) &&
                      InText(text, region->endColumn, region->endLine)))
      fail("a region outside the text");
  }
  if (searched && column > 0) {
    const Region *whole = Tester->text.GetRegion(GroupRegions[0]);
    if (whole->startColumn + 1 != column || whole->startLine + 1 != line)
      FuzzFail("the position shown is not the match's", textStatus + " " + Describe(*whole));
  }
}

// The tester's own redraws are held back between the steps that ask for the
// screen: drawing it after every event would cost most of the run.
class TesterBackend : public farhost::Backend {
 public:
  explicit TesterBackend(FuzzBytes &bytes) : bytes_(bytes) { farhost::SetBackend(this); }
  ~TesterBackend() override { farhost::SetBackend(nullptr); }
  void Show(const farhost::Screen &) override {}

  farhost::InputEvent Wait() override {
    farhost::InputEvent event;
    if (budget_-- <= 0) return Quit();
    if (gBoxes > 0) {
      // A box is answered at once, so a report never stalls the run.
      bool esc = bytes_.Peek() == kEscCode;
      if (esc) bytes_.Byte();
      FuzzTrace("box: %s", esc ? "Esc" : "Enter");
      return Key(esc ? KEY_ESC : KEY_ENTER);
    }
    HoldRedraws();
    changed_ = true;  // by the event before
    for (;;) {
      if (gDialogs == 1) {  // the tester itself, no dialog above it
        const int parses = gParses.load();
        CheckTester(parses != checkedParses_);
        checkedParses_ = parses;
      }
      if (bytes_.Empty() || gReports >= kMostReports) return Quit();
      const uint8_t code = bytes_.Byte();
      for (const ControlKey &control : kControlKeys) {
        if (control.code == code) return Key(control.key);
      }
      switch (code) {
        case 0x00:
          Draw();
          continue;
        case 0x01: {
          DWORD key = Pick(bytes_, kKeys);
          return Key(key | Pick(bytes_, kFuzzModifiers));
        }
        case 0x02: {
          std::string text = bytes_.Text(255);
          FuzzTrace("clipboard \"%s\"", text.c_str());
          ClipboardPut(text.c_str(), static_cast<int>(text.size()));
          continue;
        }
        case 0x03:
          SetOptions(bytes_.Byte());
          continue;
        case 0x04: {
          const farhost::Screen &screen = farhost::TheScreen();
          event.kind = farhost::InputEvent::Mouse;
          event.x = bytes_.Below(screen.Width() + 2) - 1;
          event.y = bytes_.Below(screen.Height() + 2) - 1;
          event.button = 1 + bytes_.Below(3);
          FuzzTrace("click %d %d button %d", event.x, event.y, event.button);
          return event;
        }
        case 0x05:
          event.kind = farhost::InputEvent::Resize;
          event.x = 1 + bytes_.Below(200);
          event.y = 1 + bytes_.Below(80);
          FuzzTrace("resize %d %d", event.x, event.y);
          return event;
        default:
          return Key(code);  // typed
      }
    }
  }

 private:
  static farhost::InputEvent Key(DWORD key) {
    FuzzTrace("key 0x%x", unsigned(key));
    farhost::InputEvent event;
    event.kind = farhost::InputEvent::Key;
    event.key = key;
    return event;
  }
  static farhost::InputEvent Quit() {
    farhost::InputEvent event;
    event.kind = farhost::InputEvent::Quit;
    return event;
  }
  static farhost::Dialog *TesterDialog() {
    return Tester ? farhost::FindDialog(Tester->dialog.handle) : nullptr;
  }
  void HoldRedraws() {
    if (held_ != nullptr) return;
    held_ = TesterDialog();
    if (held_ != nullptr) held_->Message(DM_ENABLEREDRAW, 0, 0);
  }
  // Lets the held redraws through once: the tester is drawn, unless the
  // options dialog hides it or nothing happened since it was drawn last.
  void Draw() {
    if (held_ == nullptr || held_ != TesterDialog() || !changed_) return;
    changed_ = false;
    FuzzTrace("draw");
    held_->Message(DM_ENABLEREDRAW, 1, 0);
    held_->Message(DM_ENABLEREDRAW, 0, 0);
  }
  static void SetOptions(uint8_t bits) {
    FuzzTrace("options 0x%x", bits);
    Settings.SingleLines = (bits & 1) != 0;
    Settings.ReNoMoves = (bits & 2) != 0;
    Settings.FromCursor = (bits & 4) != 0;
    Settings.StripSpace = (bits & 8) != 0;
    Settings.OnFly = (bits & 16) == 0;
    Settings.HandleErrors = (bits & 32) != 0;
  }

  FuzzBytes &bytes_;
  farhost::Dialog *held_ = nullptr;  // the tester, its redraws held
  bool changed_ = true;              // an event came since the last drawing
  int budget_ = kEventBudget;
  int checkedParses_ = 0;
};

// Lines for the load button: words, digits, a blank line, a line longer
// than the rows. Kept short: with ReNoMoves every position of the text is a
// search of its own.
void WriteHostFile(const fs::path &path) {
  std::ofstream out(path, std::ios::binary);
  out << "The quick brown fox jumps over the lazy dog.\n"
         "  indented: key = value; other=42\n"
         "\n"
         "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab\n"
         "mail: someone@example.org, 2024-01-31 12:34\n"
      << std::string(100, 'x') << "y\n";
  for (int i = 0; i < 12; ++i) out << "line " << i << (i % 3 ? " abc" : " xyz") << "\n";
}

void RemoveFolder() {
  std::error_code ignored;
  fs::remove_all(gFolder, ignored);
}

constexpr char kFolderPrefix[] = "pardune-fuzz-tester-";

// The registry writes each value through to the disk; the options dialog
// saves 22 of them. In memory, where the system has a place for it, that
// costs nothing. Folders of runs that ended without cleaning up are removed.
fs::path ScratchBase() {
  std::error_code error;
  const fs::path memory = "/dev/shm";
  if (!fs::is_directory(memory, error) || access(memory.c_str(), W_OK) != 0)
    return FuzzTempFolder();
  for (const fs::directory_entry &entry : fs::directory_iterator(memory, error)) {
    const std::string name = entry.path().filename().string();
    if (name.compare(0, sizeof kFolderPrefix - 1, kFolderPrefix) != 0) continue;
    const std::string pid = name.substr(sizeof kFolderPrefix - 1);
    if (!pid.empty() && !fs::exists("/proc/" + pid, error)) fs::remove_all(entry.path(), error);
  }
  return memory;
}

// The settings as the module saves its defaults, every value in place: the
// options dialog saved unchanged then writes nothing. Written again only when
// an input changed it, so that loading the settings never writes the file.
std::string gPristineRegistry;

std::string RegistryText() {
  std::ifstream in(gFolder / "registry.reg", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ResetRegistry() {
  if (RegistryText() == gPristineRegistry) return;
  std::ofstream(gFolder / "registry.reg", std::ios::binary | std::ios::trunc) << gPristineRegistry;
}

void EmptyTheClipboard() {
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  gFolder = ScratchBase() / (kFolderPrefix + std::to_string(getpid()));
  RemoveFolder();
  fs::create_directories(gFolder);
  std::atexit(RemoveFolder);
  for (const char *name : {"Pardune.lng", "Pardune.hlf"})
    fs::copy_file(BesideTestProgram(name), gFolder / name);
  setenv("PARDUNE_CLIPBOARD", (gFolder / "clipboard").c_str(), 1);
  setenv("PARDUNE_REGISTRY", (gFolder / "registry.reg").c_str(), 1);
  setenv("PARDUNE_LANG", "en", 1);

  WriteHostFile(gFolder / "host.txt");
  std::string error;
  if (!farhost::OpenHostEditor((gFolder / "host.txt").c_str(), farhost::HostEditorOptions(),
                               &error))
    FuzzFail("the file manager's editor", error);

  gModulePath = (gFolder / "Pardune.kmx").string();
  gHostInfo = farhost::MakeStartupInfo(gModulePath.c_str());
  gHostInfo.Message = CountedMessage;
  gHostInfo.DialogEx = CountedDialog;
  gKestrum = KestrumServiceTable();
  gEngineTable = *gKestrum;
  gEngineTable.Parse = CountedParse;
  Start(&gHostInfo, &gEngineTable);
  SaveSettings();  // the defaults Start loaded
  gPristineRegistry = RegistryText();
  FuzzCheck(gPristineRegistry.find("\"OnFly\"") != std::string::npos, "the defaults saved",
            gPristineRegistry);
  // Linked in, the module finds itself in the fuzz program's folder: its
  // hang log goes to the scratch folder instead.
  const std::string folder = gFolder.string();
  FuzzCheck(Host.ModuleDirectory && folder.size() < 261, "the module's folder", folder);
  std::snprintf(Host.ModuleDirectory, 262, "%s", folder.c_str());
  WatchdogTimeout = kWatchdogMs;
  EmptyTheClipboard();
  for (int i = 0; i < 10; ++i) {
    gStatusTexts[i] = Lookup(40 + i);
    FuzzCheck(gStatusTexts[i] != std::to_string(40 + i), "a status text missing",
              std::to_string(40 + i));
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // Every input starts alike: default options, an empty clipboard (emptied
  // after the last one), no log.
  ResetRegistry();
  unlink((gFolder / "RegExp_bug.txt").c_str());
  HotkeyToggle = false;
  gReports = 0;
  farhost::TheScreen().Resize(80, 25);
  WinportSetConsoleSize(80, 25);

  FuzzBytes bytes(data, size);
  TesterBackend backend(bytes);
  FuzzCheck(RunTester() == 1, "the tester's result");
  FuzzCheck(Tester == nullptr && gBoxes == 0 && gDialogs == 0, "the tester left open");
  // A stopped engine call that left a lock held keeps its thread from ending.
  FuzzCheck(WinportStrandedThreads() == 0, "a stopped engine call's thread did not end");
  EmptyTheClipboard();  // what it holds would look like a leak of this input
  return 0;
}
