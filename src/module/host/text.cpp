// Message texts and the shared text operations.
#include "host/text.hpp"

#include <windows.h>

#include <atomic>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "host/host_state.hpp"

namespace {

const char emptyText[] = "";

// Keys of the ids 1..2000, each in storage of its own: a key that names no
// message comes back from the lookup as the text, so it must outlive the call.
char messageKeys[kMaxMessageId + 1][5];

const char *MessageKey(int id) {
  char *key = messageKeys[id];
  if (!key[0]) std::snprintf(key, sizeof messageKeys[id], "%d", id);
  return key;
}

const char *Lookup(const char *key) {
  if (!Host.EngineTable || !Host.EngineTable->LookupMessage) return nullptr;
  return Host.EngineTable->LookupMessage(&Host.SubPlugin, key, 0, 0);
}

struct FormatBuffer {
  CRITICAL_SECTION lock;
  char *text = nullptr;
};

FormatBuffer formatBuffer;
std::atomic<bool> formatReleased{false};

void ReleaseFormatBuffer() {
  EnterCriticalSection(&formatBuffer.lock);
  formatReleased = true;
  delete[] formatBuffer.text;
  formatBuffer.text = nullptr;
  LeaveCriticalSection(&formatBuffer.lock);
}

bool SetUpFormatBuffer() {
  std::atexit(ReleaseFormatBuffer);
  // Without a buffer every call gives the empty text.
  formatBuffer.text = new (std::nothrow) char[kFormatBufferSize];
  if (formatBuffer.text) formatBuffer.text[0] = '\0';
  InitializeCriticalSection(&formatBuffer.lock);
  return true;
}

// Formats into size bytes and always terminates; the result is the length
// of the text that stands in the buffer.
int FormatList(char *buffer, int size, const char *format, va_list args) {
  if (!buffer || size <= 0) return 0;
  if (!format) {
    buffer[0] = '\0';
    return 0;
  }
  int wanted = std::vsnprintf(buffer, static_cast<size_t>(size), format, args);
  buffer[size - 1] = '\0';
  if (wanted < 0) {
    buffer[0] = '\0';
    return 0;
  }
  return wanted < size ? wanted : size - 1;
}

}  // namespace

const char *MessageText(int id) {
  if (id == 0) return emptyText;
  // Ids outside 1..2000 are never passed; they name no text.
  if (id < 0 || id > kMaxMessageId) return emptyText;
  const char *text = Lookup(MessageKey(id));
  return text ? text : emptyText;
}

const char *MessageText(MessageRef ref) {
  if (ref.value == 0) return emptyText;
  if (ref.value <= kMaxMessageId) return MessageText(static_cast<int>(ref.value));
  const char *literal = reinterpret_cast<const char *>(ref.value);
  const char *text = Lookup(literal);
  return text ? text : literal;
}

const char *FormatText(const char *format, ...) {
  // The first call sets the buffer up; a static's initialization is itself
  // safe should two threads make that call at once.
  static const bool ready = SetUpFormatBuffer();
  (void)ready;
  if (formatReleased) return emptyText;
  EnterCriticalSection(&formatBuffer.lock);
  const char *result = emptyText;
  if (formatBuffer.text) {
    va_list args;
    va_start(args, format);
    FormatList(formatBuffer.text, kFormatBufferSize, format, args);
    va_end(args);
    result = formatBuffer.text;
  }
  LeaveCriticalSection(&formatBuffer.lock);
  return result;
}

int FormatBounded(char *buffer, int size, const char *format, ...) {
  va_list args;
  va_start(args, format);
  int length = FormatList(buffer, size, format, args);
  va_end(args);
  return length;
}

int FormatInto(char *buffer, const char *format, ...) {
  if (!buffer) return 0;
  if (!format) {
    buffer[0] = '\0';
    return 0;
  }
  va_list args;
  va_start(args, format);
  int length = std::vsprintf(buffer, format, args);
  va_end(args);
  if (length < 0) {
    buffer[0] = '\0';
    return 0;
  }
  return length;
}

char *CopyText(char *destination, const char *source, int size) {
  if (!destination) return nullptr;
  if (size == -1) {
    std::strcpy(destination, source ? source : emptyText);
    return destination;
  }
  if (size <= 0) return destination;
  if (!source) source = emptyText;
  // Dialog items copy into fields of hundreds of bytes, padded with zeros.
  const size_t length = strnlen(source, size_t(size - 1));
  std::memmove(destination, source, length);
  std::memset(destination + length, 0, size_t(size) - length);
  return destination;
}

char *AppendText(char *destination, const char *source, int size) {
  if (!destination) return nullptr;
  if (size == -1) {
    if (source) std::strcat(destination, source);
    return destination;
  }
  if (size <= 0) return destination;
  if (!source) source = emptyText;
  // The destination's length, looked for only within its buffer.
  int length = 0;
  while (length < size - 1 && destination[length]) ++length;
  if (source[0] && length < size - 1) {
    while (length < size - 1 && *source) destination[length++] = *source++;
    destination[length] = '\0';
  }
  destination[size - 1] = '\0';
  return destination;
}

char *DecodeEscapes(const char *source, char *destination, int size) {
  if (!destination) return nullptr;
  if (size <= 0) return destination;
  if (!source) source = emptyText;
  int written = 0;
  while (*source && written < size - 1) {
    char c = *source++;
    if (c == '\\') {
      char next = *source;
      if (!next) {
        // A backslash that ends the text stays a backslash.
        destination[written++] = '\\';
        break;
      }
      ++source;
      switch (next) {
        case 'b':
          c = '\b';
          break;
        case 'n':
          c = '\n';
          break;
        case 'r':
          c = '\r';
          break;
        case 't':
          c = '\t';
          break;
        default:  // \" \' \\ and any other: the character itself
          c = next;
          break;
      }
    }
    destination[written++] = c;
  }
  destination[written] = '\0';
  return destination;
}

int TextLength(const char *text) {
  if (!text) return 0;
  size_t length = std::strlen(text);
  return length > INT_MAX ? INT_MAX : static_cast<int>(length);
}

void *FillBytes(void *buffer, int byte, int count) {
  if (buffer && count > 0) std::memset(buffer, byte, static_cast<size_t>(count));
  return buffer;
}

void *CopyBytes(void *destination, const void *source, int count) {
  if (destination && source && count > 0)
    std::memmove(destination, source, static_cast<size_t>(count));
  return destination;
}

int MinInt(int a, int b) {
  return a < b ? a : b;
}

int MaxInt(int a, int b) {
  return a > b ? a : b;
}

int AbsInt(int a) {
  if (a == INT_MIN) return INT_MAX;
  return a <= 0 ? -a : a;
}

void SwapShort(short *a, short *b) {
  if (!a || !b) return;
  short t = *a;
  *a = *b;
  *b = t;
}
