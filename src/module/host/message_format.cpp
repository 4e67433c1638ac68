// Message texts used as formats. The texts come from language data that a
// user may edit, so a text is formatted only when its conversions fit the
// arguments exactly; any other text is shown as it stands.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "host/text.hpp"

namespace {

enum { kMaxArguments = 8, kMaxDigits = 3, kMaxSpec = 16 };

// One conversion of a checked format: where it stands and how long it is.
struct Conversion {
  int start;
  int length;
};

bool IsIntegerConversion(char c) {
  return c && std::strchr("diuxXo", c) != nullptr;
}

// Splits `text` into its conversions; false when a conversion is not one of
// %% or an int conversion (d i u x X o c) with flags, width and precision,
// or when the conversions do not match argTypes one to one.
bool CheckFormat(const char *text, const char *argTypes, Conversion *conversions) {
  const int expected = static_cast<int>(std::strlen(argTypes));
  if (expected > kMaxArguments) return false;
  int count = 0;
  for (int i = 0; text[i]; ++i) {
    if (text[i] != '%') continue;
    const int start = i++;
    if (text[i] == '%') continue;
    while (text[i] && std::strchr("-+ #0", text[i])) ++i;
    int digits = 0;
    while (text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    if (digits > kMaxDigits) return false;
    if (text[i] == '.') {
      ++i;
      digits = 0;
      while (text[i] >= '0' && text[i] <= '9') ++i, ++digits;
      if (digits > kMaxDigits) return false;
    }
    const char conversion = text[i];
    if (count >= expected) return false;
    const char wanted = argTypes[count];
    if (wanted == 'c' ? conversion != 'c' : !(wanted == 'd' && IsIntegerConversion(conversion)))
      return false;
    if (i - start + 1 >= kMaxSpec) return false;
    conversions[count++] = Conversion{start, i - start + 1};
  }
  return count == expected;
}

}  // namespace

int FormatMessageText(char *buffer, int size, int id, const char *argTypes, ...) {
  if (!buffer || size <= 0) return 0;
  const char *text = MessageText(id);
  if (!argTypes) argTypes = "";
  Conversion conversions[kMaxArguments];
  if (!CheckFormat(text, argTypes, conversions)) {
    CopyText(buffer, text, size);
    return TextLength(buffer);
  }
  int arguments[kMaxArguments];
  va_list args;
  va_start(args, argTypes);
  for (int k = 0; argTypes[k]; ++k) arguments[k] = va_arg(args, int);
  va_end(args);

  // Literal runs are copied and each checked conversion is formatted by
  // itself with its one argument.
  int length = 0;
  int next = 0;
  auto put = [&](const char *piece, int count) {
    while (count-- > 0 && length < size - 1) buffer[length++] = *piece++;
  };
  for (int i = 0, k = 0; text[i] && length < size - 1;) {
    if (next < static_cast<int>(std::strlen(argTypes)) && i == conversions[next].start) {
      char spec[kMaxSpec];
      std::memcpy(spec, text + i, static_cast<size_t>(conversions[next].length));
      spec[conversions[next].length] = '\0';
      char piece[kMaxDigits * 2 + 1000];
      int n = std::snprintf(piece, sizeof piece, spec, arguments[k++]);
      if (n > 0)
        put(piece, n < static_cast<int>(sizeof piece) ? n : static_cast<int>(sizeof piece) - 1);
      i += conversions[next++].length;
    } else if (text[i] == '%' && text[i + 1] == '%') {
      put("%", 1);
      i += 2;
    } else {
      put(text + i, 1);
      ++i;
    }
  }
  buffer[length] = '\0';
  return length;
}
