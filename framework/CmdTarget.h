// CCmdTarget: the root of every class with a message map. It holds the empty
// root map and the dispatcher that walks a map chain, most-derived first.
#pragma once

#include "framework/MessageMap.h"
#include "framework/RuntimeClass.h"

class CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)

 public:
  // The map of the object's most-derived class (DECLARE_MESSAGE_MAP overrides it).
  virtual const MessageMap* GetMessageMap() const;

  // Runs the first handler whose entry matches the message, searching the
  // object's own map, then its base's, and so on. Returns true (and the
  // handler's result in *pResult) when a handler ran.
  bool DispatchToMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

  // The entry that would handle the message in this chain, or null.
  static const MessageMapEntry* FindMessageMapEntry(const MessageMap* pMap, UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  static const MessageMap* GetThisMessageMap();
};
