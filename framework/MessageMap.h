// Message maps as data. Each class that handles messages keeps one static
// table of entries, chained to its base class's table; CWnd's window
// procedure looks a message up most-derived table first (CCmdTarget).
//
// An entry names the message (for WM_NOTIFY also the notification code and
// the control id, for WM_COMMAND the command id) and a member handler with its
// natural signature. The parameter cracker is picked from the handler's type:
//   void()                       WM_PAINT, WM_CLOSE, commands
//   void(UINT, int, int)         WM_SIZE (type, cx, cy)
//   void(BOOL, UINT)             WM_SHOWWINDOW (shown, status)
//   void(UINT, LPARAM)           WM_SYSCOMMAND (command id, parameter)
//   HCURSOR()                    WM_QUERYDRAGICON
//   void(NMHDR*, LRESULT*)       WM_NOTIFY (header, result; the result starts at 0)
//   LRESULT(WPARAM, LPARAM)      any other message (ON_MESSAGE)
//
// In the class body:            DECLARE_MESSAGE_MAP()   (leaves the access protected)
// In the class's source file:   BEGIN_MESSAGE_MAP(CPage0, CPropertyPage)
//                                 ON_WM_SIZE()
//                                 ON_NOTIFY(NM_DBLCLK, 1001, &CPage0::OnNMDblclkList)
//                               END_MESSAGE_MAP()
#pragma once

#include <windows.h>

#include <type_traits>

class CCmdTarget;

// Calls one handler on the object with the message's parameters cracked.
using MessageThunk = LRESULT (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
  UINT message;        // the window message; 0 ends the table
  UINT code;           // WM_NOTIFY: notification code; WM_COMMAND: 0 (clicks, menus, accelerators)
  UINT_PTR id;         // WM_NOTIFY: control id; WM_COMMAND: command id; otherwise 0
  MessageThunk thunk;  // the cracker bound to the member handler
};

struct MessageMap {
  const MessageMap* pBaseMap;        // the base class's map; null for the root
  const MessageMapEntry* lpEntries;  // ends with an entry whose message is 0
};

namespace message_map_detail {

template <typename T>
struct MemberClass;
template <typename C, typename Sig>
struct MemberClass<Sig C::*> {
  using type = C;
};

template <typename C>
LRESULT Invoke(C* obj, void (C::*handler)(), WPARAM, LPARAM) {
  (obj->*handler)();
  return 0;
}
template <typename C>
LRESULT Invoke(C* obj, void (C::*handler)(UINT, int, int), WPARAM wParam, LPARAM lParam) {
  (obj->*handler)(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
  return 0;
}
template <typename C>
LRESULT Invoke(C* obj, void (C::*handler)(BOOL, UINT), WPARAM wParam, LPARAM lParam) {
  (obj->*handler)(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
  return 0;
}
template <typename C>
LRESULT Invoke(C* obj, void (C::*handler)(UINT, LPARAM), WPARAM wParam, LPARAM lParam) {
  (obj->*handler)(static_cast<UINT>(wParam), lParam);
  return 0;
}
template <typename C>
LRESULT Invoke(C* obj, HCURSOR (C::*handler)(), WPARAM, LPARAM) {
  return reinterpret_cast<LRESULT>((obj->*handler)());
}
template <typename C>
LRESULT Invoke(C* obj, void (C::*handler)(NMHDR*, LRESULT*), WPARAM, LPARAM lParam) {
  LRESULT result = 0;
  (obj->*handler)(reinterpret_cast<NMHDR*>(lParam), &result);
  return result;
}
template <typename C>
LRESULT Invoke(C* obj, LRESULT (C::*handler)(WPARAM, LPARAM), WPARAM wParam, LPARAM lParam) {
  return (obj->*handler)(wParam, lParam);
}

// The table holds only this function's address; the dispatcher passes the
// object whose map matched, so the downcast is to the handler's own class.
template <auto Handler>
LRESULT Thunk(CCmdTarget* target, WPARAM wParam, LPARAM lParam) {
  using Class = typename MemberClass<decltype(Handler)>::type;
  return Invoke(static_cast<Class*>(target), Handler, wParam, lParam);
}

}  // namespace message_map_detail

#define DECLARE_MESSAGE_MAP()                   \
 protected:                                     \
  static const MessageMap* GetThisMessageMap(); \
  const MessageMap* GetMessageMap() const override;

// clang-format off
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
  const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); }   \
  const MessageMap* theClass::GetThisMessageMap() {                                   \
    using ThisClass = theClass;                                                       \
    using TheBaseClass = baseClass;                                                   \
    static const MessageMapEntry kEntries[] = {

#define END_MESSAGE_MAP()                                                             \
      {0, 0, 0, nullptr}};                                                            \
    static_assert(std::is_base_of<TheBaseClass, ThisClass>::value,                    \
                  "a message map chains to a base class's map");                      \
    static const MessageMap kMap = {TheBaseClass::GetThisMessageMap(), kEntries};     \
    return &kMap;                                                                     \
  }
// clang-format on

#define FRAMEWORK_MAP_ENTRY(message, code, id, handler) \
  {(message), static_cast<UINT>(code), static_cast<UINT_PTR>(id), &message_map_detail::Thunk<handler>},

#define ON_WM_SIZE() FRAMEWORK_MAP_ENTRY(WM_SIZE, 0, 0, &ThisClass::OnSize)
#define ON_WM_SHOWWINDOW() FRAMEWORK_MAP_ENTRY(WM_SHOWWINDOW, 0, 0, &ThisClass::OnShowWindow)
#define ON_WM_SYSCOMMAND() FRAMEWORK_MAP_ENTRY(WM_SYSCOMMAND, 0, 0, &ThisClass::OnSysCommand)
#define ON_WM_PAINT() FRAMEWORK_MAP_ENTRY(WM_PAINT, 0, 0, &ThisClass::OnPaint)
#define ON_WM_QUERYDRAGICON() FRAMEWORK_MAP_ENTRY(WM_QUERYDRAGICON, 0, 0, &ThisClass::OnQueryDragIcon)
#define ON_WM_CLOSE() FRAMEWORK_MAP_ENTRY(WM_CLOSE, 0, 0, &ThisClass::OnClose)
#define ON_NOTIFY(code, id, memberFxn) FRAMEWORK_MAP_ENTRY(WM_NOTIFY, code, id, memberFxn)
#define ON_COMMAND(id, memberFxn) FRAMEWORK_MAP_ENTRY(WM_COMMAND, 0, id, memberFxn)
#define ON_MESSAGE(message, memberFxn) FRAMEWORK_MAP_ENTRY(message, 0, 0, memberFxn)
