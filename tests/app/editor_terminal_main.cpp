// editor_terminal LOG [LINE...]: the editor test dialog (the tester's two
// editors in its layout) on the terminal, for trying the editors' keys as a
// user would, in tmux or by hand. The examined text starts with the LINEs.
// Every key that arrives is written to LOG by its name; when the dialog is
// closed (Esc), LOG gets both editors' lines and the clipboard's text.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/key_names.hpp"
#include "app/terminal_backend.hpp"
#include "farhost/farhost.hpp"
#include "farhost/screen.hpp"
#include "host/clipboard.hpp"
#include "test_dialog.hpp"

namespace {

class KeyLog : public farhost::Backend {
 public:
  KeyLog(farhost::Backend &inner, FILE *log) : inner_(inner), log_(log) {}
  void Show(const farhost::Screen &screen) override { inner_.Show(screen); }
  farhost::InputEvent Wait() override {
    farhost::InputEvent event = inner_.Wait();
    if (event.kind == farhost::InputEvent::Key) {
      fprintf(log_, "key %s\n", app::KeyName(event.key).c_str());
      fflush(log_);
    }
    return event;
  }

 private:
  farhost::Backend &inner_;
  FILE *log_;
};

void WriteLines(FILE *log, const char *which, const LineEditor &e) {
  fprintf(log, "%s", which);
  for (int i = 0; i < e.lineCount; i++) fprintf(log, " [%s]", e.LineText(i));
  fprintf(log, "\n");
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: editor_terminal LOG [LINE...]\n");
    return 2;
  }
  FILE *log = fopen(argv[1], "w");
  if (!log) {
    perror(argv[1]);
    return 2;
  }
  std::string text;
  for (int i = 2; i < argc; i++) text += std::string(i > 2 ? "\n" : "") + argv[i];

  std::string error;
  std::unique_ptr<app::TerminalBackend> terminal =
      app::TerminalBackend::Open(stdin, stdout, 437, &error);
  if (!terminal) {
    fprintf(stderr, "editor_terminal: %s\n", error.c_str());
    return 2;
  }
  {
    TestDialog t;  // an 80x25 screen: the terminal's size replaces it
    WinportSetConsoleSize(terminal->Columns(), terminal->Rows());
    farhost::TheScreen().Resize(terminal->Columns(), terminal->Rows());
    KeyLog keys(*terminal, log);
    farhost::SetBackend(&keys);
    t.onInit = [&text](TestDialog &d) {
      if (text.empty()) return;
      d.text.SetText(text.c_str());
      d.text.SetModified(false);
    };
    t.Run();
    farhost::SetBackend(nullptr);
    terminal->Close();
    WriteLines(log, "text", t.text);
    WriteLines(log, "expression", t.expression);
  }
  char *clipboard = nullptr;
  int size = 0;
  if (ClipboardGet(&clipboard, &size)) {
    std::string shown;
    for (const char *p = clipboard; *p; p++) {
      if (*p == '\n')
        shown += "\\n";
      else if (*p == '\r')
        shown += "\\r";
      else
        shown += *p;
    }
    fprintf(log, "clipboard [%s]\n", shown.c_str());
    free(clipboard);
  }
  fclose(log);
  return 0;
}
