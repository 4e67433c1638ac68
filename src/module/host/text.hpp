// Message texts and the shared text operations.
#pragma once

#include <cstdint>

// A message id (0 to 2000; 0 is no text) or, above 2000, a text.
struct MessageRef {
  uintptr_t value = 0;
  static MessageRef Id(int id) { return MessageRef{static_cast<uintptr_t>(id)}; }
  static MessageRef Literal(const char *text) {
    return MessageRef{reinterpret_cast<uintptr_t>(text)};
  }
};

enum { kMaxMessageId = 2000, kFormatBufferSize = 10000 };

// Display text of a message id or reference; borrowed, never freed.
const char *MessageText(int id);
const char *MessageText(MessageRef ref);

#define PARDUNE_PRINTF(f, a) __attribute__((format(printf, f, a)))

// printf-style into the shared 10000-byte buffer, valid until the next call.
const char *FormatText(const char *format, ...) PARDUNE_PRINTF(1, 2);
// Into the caller's buffer, at most size bytes written (always terminated).
int FormatBounded(char *buffer, int size, const char *format, ...) PARDUNE_PRINTF(3, 4);
// Into the caller's buffer, which is large enough for the text.
int FormatInto(char *buffer, const char *format, ...) PARDUNE_PRINTF(2, 3);

// A message text used as a format: the arguments are ints, one per letter of
// argTypes ('d' an integer, 'c' a character). A text whose conversions do not
// fit them is shown as it stands, unformatted.
int FormatMessageText(char *buffer, int size, int id, const char *argTypes, ...);

char *CopyText(char *destination, const char *source, int size);
char *AppendText(char *destination, const char *source, int size);
// The escapes of a message text shown as a question: \b \n \r \t; before any
// other character a backslash stands for that character; one at the end stays.
char *DecodeEscapes(const char *source, char *destination, int size);
int TextLength(const char *text);
void *FillBytes(void *buffer, int byte, int count);
void *CopyBytes(void *destination, const void *source, int count);
int MinInt(int a, int b);
int MaxInt(int a, int b);
int AbsInt(int a);
void SwapShort(short *a, short *b);
