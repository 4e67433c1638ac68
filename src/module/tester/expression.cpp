// Reading, cleaning and setting the expression.
#include <cstring>

#include "host/host_state.hpp"
#include "host/messages.hpp"
#include "settings/settings.hpp"
#include "tester/match_state.hpp"
#include "tester/tester_dialog.hpp"
#include "tester/watchdog.hpp"

namespace {

enum {
  kWorkSize = kExpressionLength + 1,
};

bool IsTrailingSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

MessageId PrepareExpression(const char *text, bool stripSpace, char *out) {
  if (!text || !text[0]) return kEmptyExpressionMessage;
  // Cleaned one character in, where a leading slash may go.
  char *cleaned = out + 1;
  int length = 0;
  for (int i = 0; i < kExpressionLength && text[i]; ++i) {
    if (text[i] == '\n' || (stripSpace && text[i] == ' ')) continue;
    cleaned[length++] = text[i];
  }
  while (length > 1 && IsTrailingSpace(cleaned[length - 1])) --length;
  cleaned[length] = '\0';
  if (length == 0) {
    out[0] = '\0';
    return kNothingLeftMessage;
  }
  if (cleaned[0] == '/') {
    std::memmove(out, cleaned, static_cast<size_t>(length) + 1);
  } else {
    out[0] = '/';
    cleaned[length] = '/';
    cleaned[length + 1] = '\0';
  }
  return kNoMessage;
}

void ApplyExpression() {
  MatchState &state = TheMatchState;
  ShowTextStatus(MessageRef::Id(kNoMessage));
  ShowExpressionStatus(MessageRef::Id(kNoMessage));
  state.ExpressionReady = false;

  char work[kWorkSize];
  int n = Tester->expression.GetAllText(work, kWorkSize);
  if (n == 0) work[0] = '\0';
  if (MessageId message = PrepareExpression(work, Settings.StripSpace != 0, state.expression)) {
    ShowExpressionStatus(MessageRef::Id(message));
    return;
  }
  if (!GuardedSetExpression(state.expression)) {
    ShowExpressionStatus(MessageRef::Id(kRefusedMessage));
    return;
  }
  KestrumSetNoMoves setNoMoves = Host.EngineTable ? Host.EngineTable->SetNoMoves : nullptr;
  if (!setNoMoves || !setNoMoves(Engine, Settings.ReNoMoves)) {
    ShowExpressionStatus(MessageRef::Id(kRefusedMessage));
    return;
  }
  state.ExpressionReady = true;
  state.Restart = true;
  RunMatch();
}
