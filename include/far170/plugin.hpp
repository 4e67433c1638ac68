// The file manager's plug-in interface (version 1.70): the records, constants
// and service types the module and the hosts exchange.
#pragma once

#include <windows.h>

#pragma pack(push, 4)

enum : int {
  FARMANAGERVERSION_MAJOR = 1,
  FARMANAGERVERSION_MINOR = 70,
};

// Dialog item types.
enum : int {
  DI_TEXT = 0,
  DI_VTEXT = 1,
  DI_SINGLEBOX = 2,
  DI_DOUBLEBOX = 3,
  DI_EDIT = 4,
  DI_PSWEDIT = 5,
  DI_FIXEDIT = 6,
  DI_BUTTON = 7,
  DI_CHECKBOX = 8,
  DI_RADIOBUTTON = 9,
};

// Dialog item flags.
enum : DWORD {
  DIF_COLORMASK = 0x000000FFu,
  DIF_SETCOLOR = 0x00000100u,
  DIF_BOXCOLOR = 0x00000200u,
  DIF_GROUP = 0x00000400u,
  DIF_LEFTTEXT = 0x00000800u,
  DIF_MOVESELECT = 0x00001000u,
  DIF_SHOWAMPERSAND = 0x00002000u,
  DIF_CENTERGROUP = 0x00004000u,
  DIF_NOBRACKETS = 0x00008000u,
  DIF_SEPARATOR = 0x00010000u,
  DIF_EDITOR = 0x00020000u,
  DIF_HISTORY = 0x00040000u,
  DIF_3STATE = 0x00800000u,  // check boxes: a third state, Selected 2
  DIF_DISABLE = 0x80000000u,
};

// Dialog messages (DM_) and notifications (DN_).
enum : int {
  DM_FIRST = 0,
  DM_CLOSE = 1,
  DM_ENABLE = 2,
  DM_ENABLEREDRAW = 3,
  DM_GETDLGDATA = 4,
  DM_GETDLGITEM = 5,
  DM_GETDLGRECT = 6,
  DM_GETTEXT = 7,
  DM_GETTEXTLENGTH = 8,
  DM_KEY = 9,
  DM_MOVEDIALOG = 10,
  DM_SETDLGDATA = 11,
  DM_SETDLGITEM = 12,
  DM_SETFOCUS = 13,
  DM_REDRAW = 14,
  DM_SETTEXT = 15,
  DM_SETMAXTEXTLENGTH = 16,
  DM_SHOWDIALOG = 17,
  DM_GETFOCUS = 18,
  DM_GETCURSORPOS = 19,
  DM_SETCURSORPOS = 20,
  DM_GETTEXTPTR = 21,
  DM_SETTEXTPTR = 22,
  DM_SHOWITEM = 23,
  DM_GETCHECK = 24,
  DM_SETCHECK = 25,
  DM_GETITEMPOSITION = 48,

  DN_FIRST = 0x1000,
  DN_BTNCLICK = 0x1001,
  DN_CTLCOLORDIALOG = 0x1002,
  DN_CTLCOLORDLGITEM = 0x1003,
  DN_CTLCOLORDLGLIST = 0x1004,
  DN_DRAWDIALOG = 0x1005,
  DN_DRAWDLGITEM = 0x1006,
  DN_EDITCHANGE = 0x1007,
  DN_ENTERIDLE = 0x1008,
  DN_GOTFOCUS = 0x1009,
  DN_HELP = 0x100A,
  DN_HOTKEY = 0x100B,
  DN_INITDIALOG = 0x100C,
  DN_KILLFOCUS = 0x100D,
  DN_LISTCHANGE = 0x100E,
  DN_MOUSECLICK = 0x100F,
  DN_CLOSE = DM_CLOSE,
  DN_KEY = DM_KEY,

  DM_USER = 0x4000,
};

// Key codes: a base code plus modifier bits.
enum : DWORD {
  KEY_CTRL = 0x01000000u,
  KEY_ALT = 0x02000000u,
  KEY_SHIFT = 0x04000000u,
  KEY_RCTRL = 0x10000000u,
  KEY_RALT = 0x20000000u,

  KEY_BS = 8,
  KEY_TAB = 9,
  KEY_ENTER = 13,
  KEY_ESC = 27,
  KEY_SPACE = 32,
  KEY_PGUP = 0x121,
  KEY_PGDN = 0x122,
  KEY_END = 0x123,
  KEY_HOME = 0x124,
  KEY_LEFT = 0x125,
  KEY_UP = 0x126,
  KEY_RIGHT = 0x127,
  KEY_DOWN = 0x128,
  KEY_INS = 0x12D,
  KEY_DEL = 0x12E,
  KEY_F1 = 0x170,
  KEY_F12 = 0x17B,
};

// Message box flags.
enum : DWORD {
  FMSG_WARNING = 0x00000001u,
  FMSG_ERRORTYPE = 0x00000002u,
  FMSG_KEEPBACKGROUND = 0x00000004u,
  FMSG_DOWN = 0x00000008u,
  FMSG_LEFTALIGN = 0x00000010u,
  FMSG_ALLINONE = 0x00000020u,
  FMSG_MB_OK = 0x00010000u,
  FMSG_MB_OKCANCEL = 0x00020000u,
  FMSG_MB_ABORTRETRYIGNORE = 0x00030000u,
  FMSG_MB_YES = 0x00040000u,
  FMSG_MB_YESNO = 0x00040000u,
};

enum : DWORD { FHELP_CUSTOMPATH = 4 };

// AdvControl commands.
enum : int { ACTL_GETFARVERSION = 0, ACTL_GETCOLOR = 4 };

// Palette entry of selected text in dialog edit fields.
enum : int { COL_DIALOGEDITSELECTED = 68 };

// EditorControl commands.
enum : int {
  ECTL_GETSTRING = 0,
  ECTL_SETSTRING = 1,
  ECTL_INSERTSTRING = 2,
  ECTL_DELETESTRING = 3,
  ECTL_DELETECHAR = 4,
  ECTL_INSERTTEXT = 5,
  ECTL_GETINFO = 6,
  ECTL_SETPOSITION = 7,
  ECTL_SELECT = 8,
};

enum : int { BTYPE_NONE = 0, BTYPE_STREAM = 1, BTYPE_COLUMN = 2 };

struct FarDialogItem {
  int Type;
  int X1, Y1, X2, Y2;
  int Focus;
  union {
    int Selected;
    const char *History;
    LONG_PTR Reserved;
  };
  DWORD Flags;
  int DefaultButton;
  char Data[512];
};

struct FarDialogItemData {
  int PtrLength;
  char *PtrData;
};

struct EditorInfo {
  int EditorID;
  const char *FileName;
  int WindowSizeX;
  int WindowSizeY;
  int TotalLines;
  int CurLine;
  int CurPos;
  int CurTabPos;
  int TopScreenLine;
  int LeftPos;
  int Overtype;
  int BlockType;
  int BlockStartLine;
  int AnsiMode;
  int TableNum;
  DWORD Options;
  int TabSize;
  int BookMarkCount;
  DWORD CurState;
  DWORD Reserved[6];
};

struct EditorGetString {
  int StringNumber;
  const char *StringText;
  const char *StringEOL;
  int StringLength;
  int SelStart;
  int SelEnd;
};

struct EditorSetPosition {
  int CurLine;
  int CurPos;
  int CurTabPos;
  int TopScreenLine;
  int LeftPos;
  int Overtype;
};

struct EditorSelect {
  int BlockType;
  int BlockStartLine;
  int BlockStartPos;
  int BlockWidth;
  int BlockHeight;
};

typedef LONG_PTR(WINAPI *FARWINDOWPROC)(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2);

typedef int(WINAPI *FARAPIDIALOGEX)(int PluginNumber, int X1, int Y1, int X2, int Y2,
                                    const char *HelpTopic, FarDialogItem *Item, int ItemsNumber,
                                    DWORD Reserved, DWORD Flags, FARWINDOWPROC DlgProc,
                                    LONG_PTR Param);
typedef LONG_PTR(WINAPI *FARAPISENDDLGMESSAGE)(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2);
typedef LONG_PTR(WINAPI *FARAPIDEFDLGPROC)(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2);
typedef int(WINAPI *FARAPIMESSAGE)(int PluginNumber, DWORD Flags, const char *HelpTopic,
                                   const char *const *Items, int ItemsNumber, int ButtonsNumber);
typedef BOOL(WINAPI *FARAPISHOWHELP)(const char *ModuleName, const char *Topic, DWORD Flags);
typedef int(WINAPI *FARAPIADVCONTROL)(int ModuleNumber, int Command, void *Param);
typedef void(WINAPI *FARAPITEXT)(int X, int Y, int Color, const char *Str);
typedef int(WINAPI *FARAPIEDITORCONTROL)(int Command, void *Param);
typedef void *FARAPIUNUSED;

struct PluginStartupInfo {
  int StructSize;
  char ModuleName[260];
  int ModuleNumber;
  const char *RootKey;
  FARAPIUNUSED Menu;
  FARAPIUNUSED Dialog;
  FARAPIMESSAGE Message;
  FARAPIUNUSED GetMsg;
  FARAPIUNUSED Control;
  FARAPIUNUSED SaveScreen;
  FARAPIUNUSED RestoreScreen;
  FARAPIUNUSED GetDirList;
  FARAPIUNUSED GetPluginDirList;
  FARAPIUNUSED FreeDirList;
  FARAPIUNUSED Viewer;
  FARAPIUNUSED Editor;
  FARAPIUNUSED CmpName;
  FARAPIUNUSED CharTable;
  FARAPITEXT Text;
  FARAPIEDITORCONTROL EditorControl;
  FARAPIUNUSED FSF;
  FARAPISHOWHELP ShowHelp;
  FARAPIADVCONTROL AdvControl;
  FARAPIUNUSED InputBox;
  FARAPIDIALOGEX DialogEx;
  FARAPISENDDLGMESSAGE SendDlgMessage;
  FARAPIDEFDLGPROC DefDlgProc;
  FARAPIUNUSED Reserved;
  FARAPIUNUSED ViewerControl;
};

#pragma pack(pop)

// Version word: minor in bits 0-7, major in bits 8-15, build in bits 16-31.
constexpr DWORD MakeFarVersion(int major, int minor, int build) {
  return (DWORD(build) << 16) | (DWORD(major & 0xFF) << 8) | DWORD(minor & 0xFF);
}

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(PluginStartupInfo) == 372, "PluginStartupInfo");
static_assert(sizeof(FarDialogItem) == 548, "FarDialogItem");
static_assert(sizeof(EditorInfo) == 100, "EditorInfo");
static_assert(sizeof(EditorGetString) == 24, "EditorGetString");
static_assert(sizeof(EditorSetPosition) == 24, "EditorSetPosition");
static_assert(sizeof(EditorSelect) == 20, "EditorSelect");
static_assert(sizeof(FarDialogItemData) == 8, "FarDialogItemData");
#endif
