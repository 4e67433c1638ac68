#include "dialogs/compact_template.hpp"

#include "host/text.hpp"

void ExpandItem(const CompactItem *item, FarDialogItem *out) {
  uint16_t control = item->Control;
  out->Type = control & CIF_TYPEMASK;
  out->X1 = item->X1;
  out->Y1 = item->Y1;
  out->X2 = item->X2;
  out->Y2 = item->Y2;
  out->Focus = (control & CIF_FOCUS) ? 1 : 0;
  out->Flags = item->Flags;
  if (control & CIF_DISABLE) out->Flags |= DIF_DISABLE;
  if (control & CIF_HISTORY) out->Flags |= DIF_HISTORY;
  out->DefaultButton = (control & CIF_DEFAULT) ? 1 : 0;
  // Selected shares a pointer-wide field with History: clear it whole, so
  // the 32-bit value arrives zero-extended where pointers are wider.
  out->Reserved = 0;
  if (control & (CIF_VALUE | CIF_HISTORY)) {
    out->Selected = item->Value;
    CopyText(out->Data, "", sizeof out->Data);
  } else {
    out->Selected = (control & CIF_SELECTED) ? 1 : 0;
    CopyText(out->Data, MessageText(int(item->Value)), sizeof out->Data);
  }
}

void ExpandTemplate(const CompactItem *items, FarDialogItem *out) {
  for (; items->Control != CIF_END; ++items, ++out) ExpandItem(items, out);
}
