// The root message map and the one dispatcher every window procedure uses.
#include "framework/CmdTarget.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

namespace {

bool EntryMatches(const MessageMapEntry& entry, UINT message, WPARAM wParam, LPARAM lParam) {
  if (entry.message != message) return false;
  if (message == WM_NOTIFY) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    return header != nullptr && entry.code == header->code && entry.id == header->idFrom;
  }
  if (message == WM_COMMAND) {
    // Menus and accelerators send no control handle; both count as a plain command.
    const UINT code = lParam != 0 ? HIWORD(wParam) : 0;
    return entry.id == LOWORD(wParam) && entry.code == code;
  }
  return true;
}

}  // namespace

const MessageMap* CCmdTarget::GetThisMessageMap() {
  static const MessageMapEntry kEntries[] = {{0, 0, 0, nullptr}};
  static const MessageMap kMap = {nullptr, kEntries};
  return &kMap;
}

const MessageMap* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const MessageMapEntry* CCmdTarget::FindMessageMapEntry(const MessageMap* pMap, UINT message, WPARAM wParam,
                                                       LPARAM lParam) {
  for (; pMap != nullptr; pMap = pMap->pBaseMap) {
    for (const MessageMapEntry* entry = pMap->lpEntries; entry->message != 0; ++entry) {
      if (EntryMatches(*entry, message, wParam, lParam)) return entry;
    }
  }
  return nullptr;
}

bool CCmdTarget::DispatchToMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const MessageMapEntry* entry = FindMessageMapEntry(GetMessageMap(), message, wParam, lParam);
  if (entry == nullptr) return false;
  *pResult = entry->thunk(this, wParam, lParam);
  return true;
}
