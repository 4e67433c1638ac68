// The file manager's services as the module calls them. Each checks the
// startup record and the one entry it needs; a host without that entry gets
// no call, and the caller gets the answer of a refusal.
#pragma once

#include <cstdint>

#include "far170/plugin.hpp"
#include "host/messages.hpp"

// True when the host offers DialogEx, SendDlgMessage and DefDlgProc.
bool HostHasDialogs();
// The file manager's version word; false when it does not say.
bool HostVersion(DWORD *version);

// A centered modal dialog; the index of the closing item, or -1. `param`
// arrives as Param2 of DN_INITDIALOG.
int RunDialog(int width, int height, const char *helpTopic, FarDialogItem *items, int count,
              FARWINDOWPROC proc, LONG_PTR param);
// DefDlgProc, for what a procedure does not handle.
LONG_PTR PassToHost(HANDLE dialog, int message, int param1, LONG_PTR param2);
// SendDlgMessage; 0 without a dialog.
LONG_PTR SendToDialog(HANDLE dialog, int message, int param1, LONG_PTR param2);

// A warning with the message's text and OK.
void Warn(MessageId id);
// A yes/no warning with the message's text, its escapes decoded; true for
// Yes, false for No, Esc, or a host that cannot ask.
bool Confirm(MessageId id);
// A left-aligned warning with OK, for a report of several lines.
void Report(const char *text);

// The topic from the help file in the module's directory.
void ShowHelp(const char *topic);
// The color of a palette entry, or `absent` when the host does not say.
uint32_t PaletteColor(int entry, uint32_t absent);
// True when the host offers Text, so that painting is worth preparing.
bool HostCanPaint();
// Text written over the screen at once.
void PaintText(int x, int y, uint32_t color, const char *text);
// One EditorControl command; 0 when there is no editor to ask.
int ControlEditor(int command, void *param);
