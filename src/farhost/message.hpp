// Message boxes: a title, lines, buttons; warning colors on request.
#pragma once

#include <windows.h>

namespace farhost {

// The service. Items: title, lines, then ButtonsNumber button texts; with
// FMSG_ALLINONE Items is one text whose lines are split at '\n'. FMSG_MB_OK
// and FMSG_MB_YESNO bring their own buttons. Returns the button chosen
// (0 = first) or -1 (Esc, or no buttons: the box stays on screen).
int WINAPI Message(int pluginNumber, DWORD flags, const char *helpTopic, const char *const *items,
                   int itemsNumber, int buttonsNumber);
// The same for one text with the buttons given by flags.
int ShowMessage(DWORD flags, const char *allInOne);

}  // namespace farhost
