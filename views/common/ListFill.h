// Filling a list in one go: while the rows go in, the list neither repaints
// nor grows its row storage row by row; it repaints once at the end.
#pragma once

#include "framework/Framework.h"

class ListFillScope {
 public:
  // `expectedRows` reserves room for that many rows (0: none).
  ListFillScope(const CListCtrl& list, size_t expectedRows) : m_list(list) {
    m_list.SendMessage(WM_SETREDRAW, FALSE);
    if (expectedRows > 0 && expectedRows <= 0x7FFFFFFF)
      m_list.SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(expectedRows), LVSICF_NOINVALIDATEALL);
  }
  ~ListFillScope() {
    m_list.SendMessage(WM_SETREDRAW, TRUE);
    ::InvalidateRect(m_list.GetSafeHwnd(), nullptr, TRUE);
  }
  ListFillScope(const ListFillScope&) = delete;
  ListFillScope& operator=(const ListFillScope&) = delete;

 private:
  const CListCtrl& m_list;
};
