// CMenu: a non-owning holder of a menu handle (the system menu, for instance).
#pragma once

#include <windows.h>

class CMenu {
 public:
  CMenu() = default;
  explicit CMenu(HMENU hMenu) : m_hMenu(hMenu) {}

  HMENU GetSafeHmenu() const { return m_hMenu; }
  operator HMENU() const { return m_hMenu; }

  BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCWSTR lpszNewItem = nullptr) const;  // AppendMenuW
  int GetMenuItemCount() const;

  HMENU m_hMenu = nullptr;
};
