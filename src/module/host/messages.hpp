// Every message id the module shows: the keys of its texts in Pardune.lng,
// looked up through MessageText. An id is named here and nowhere else.
#pragma once

enum MessageId {
  kNoMessage = 0,  // the empty text
  kModuleNameMessage = 1,

  // The tester dialog; 3 and 4 also close the options dialog, the color
  // table and the picker.
  kTesterTitleMessage = 2,
  kOkMessage = 3,
  kCloseMessage = 4,
  kOptionsMessage = 5,
  kTextHeadingMessage = 6,
  kTextPasteMessage = 7,
  kTextCopyMessage = 8,
  kTextLoadMessage = 9,
  kTextUnmarkMessage = 10,
  kExpressionPasteMessage = 11,
  kExpressionCopyMessage = 12,
  kExpressionUnmarkMessage = 13,
  kFindMessage = 14,
  kNextMessage = 15,
  kExpressionHeadingMessage = 16,

  // Yes/no questions; the first line is the box's title.
  kPasteTextQuestion = 17,
  kLoadTextQuestion = 18,
  kPasteExpressionQuestion = 19,
  kCloseQuestion = 20,

  // The color picker, opened from the color table.
  kPickerTitleMessage = 21,
  kPickerForegroundMessage = 22,
  kPickerBackgroundMessage = 23,
  kPickerChooseMessage = 24,
  kPickerSampleMessage = 25,

  // The options dialog.
  kOnFlyMessage = 26,
  kHandleErrorsMessage = 27,
  kFromCursorMessage = 28,
  kSingleLinesMessage = 29,
  kReNoMovesMessage = 30,
  kStripSpaceMessage = 31,
  kColorTableButtonMessage = 32,
  kSearchOptionsMessage = 33,
  kExpressionOptionsMessage = 34,
  kOptionsTitleMessage = 35,

  // The color table.
  kColorTableTitleMessage = 36,
  kColorRowMessage = 37,  // a format: the row number (%d)
  kColorSampleMessage = 38,
  kColorChangeMessage = 39,  // a format: the row's hotkey (%c)

  // The status lines of the search.
  kEmptyExpressionMessage = 40,
  kNothingLeftMessage = 41,
  kRefusedMessage = 42,
  kNoTextMessage = 43,
  kNoMemoryForTextMessage = 44,
  kTextChangedMessage = 45,
  kNoPositionMessage = 46,
  kMatchAtMessage = 47,  // a format: column, then line (%d %d)
  kNoMoreMatchesMessage = 48,
  kSearchHungMessage = 49,

  // Message boxes of Run.
  kOldHostMessage = 50,
  kNoEngineMessage = 51,
  kNoMemoryForTesterMessage = 52,
};

// Every id above, in order, for the check against the language file.
constexpr MessageId kModuleMessages[] = {
    kModuleNameMessage,
    kTesterTitleMessage,
    kOkMessage,
    kCloseMessage,
    kOptionsMessage,
    kTextHeadingMessage,
    kTextPasteMessage,
    kTextCopyMessage,
    kTextLoadMessage,
    kTextUnmarkMessage,
    kExpressionPasteMessage,
    kExpressionCopyMessage,
    kExpressionUnmarkMessage,
    kFindMessage,
    kNextMessage,
    kExpressionHeadingMessage,
    kPasteTextQuestion,
    kLoadTextQuestion,
    kPasteExpressionQuestion,
    kCloseQuestion,
    kPickerTitleMessage,
    kPickerForegroundMessage,
    kPickerBackgroundMessage,
    kPickerChooseMessage,
    kPickerSampleMessage,
    kOnFlyMessage,
    kHandleErrorsMessage,
    kFromCursorMessage,
    kSingleLinesMessage,
    kReNoMovesMessage,
    kStripSpaceMessage,
    kColorTableButtonMessage,
    kSearchOptionsMessage,
    kExpressionOptionsMessage,
    kOptionsTitleMessage,
    kColorTableTitleMessage,
    kColorRowMessage,
    kColorSampleMessage,
    kColorChangeMessage,
    kEmptyExpressionMessage,
    kNothingLeftMessage,
    kRefusedMessage,
    kNoTextMessage,
    kNoMemoryForTextMessage,
    kTextChangedMessage,
    kNoPositionMessage,
    kMatchAtMessage,
    kNoMoreMatchesMessage,
    kSearchHungMessage,
    kOldHostMessage,
    kNoEngineMessage,
    kNoMemoryForTesterMessage,
};

constexpr bool MessagesInOrder(const MessageId *ids, int count) {
  for (int i = 1; i < count; ++i)
    if (ids[i] <= ids[i - 1]) return false;
  return count > 0 && ids[0] > kNoMessage;
}
static_assert(MessagesInOrder(kModuleMessages, sizeof kModuleMessages / sizeof kModuleMessages[0]),
              "each id once, in order");
