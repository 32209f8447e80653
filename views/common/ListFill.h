// Filling a list or tree in one go: while the items go in, the control
// neither repaints nor (for a list given its row count) grows its storage
// item by item; it repaints once at the end.
#pragma once

#include "framework/Framework.h"

class ListFillScope {
 public:
  // `expectedRows` reserves room for that many list rows (0: none).
  explicit ListFillScope(const CWnd& control, size_t expectedRows = 0) : m_control(control) {
    m_control.SendMessage(WM_SETREDRAW, FALSE);
    if (expectedRows > 0 && expectedRows <= 0x7FFFFFFF)
      m_control.SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(expectedRows), LVSICF_NOINVALIDATEALL);
  }
  ~ListFillScope() {
    m_control.SendMessage(WM_SETREDRAW, TRUE);
    ::InvalidateRect(m_control.GetSafeHwnd(), nullptr, TRUE);
  }
  ListFillScope(const ListFillScope&) = delete;
  ListFillScope& operator=(const ListFillScope&) = delete;

 private:
  const CWnd& m_control;
};
