// CTabCtrl: a non-owning holder of a tab control; one message per method.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/CWnd.h"

class CTabCtrl : public CWnd {
 public:
  CTabCtrl() = default;
  explicit CTabCtrl(HWND hWnd) : CWnd(hWnd) {}

  LONG InsertItem(int nItem, LPCWSTR lpszItem) const;  // TCIF_TEXT only; the index or -1
  LONG InsertItem(int nItem, TCITEMW* pTabCtrlItem) const;
  BOOL GetItem(int nItem, TCITEMW* pTabCtrlItem) const;  // TCM_GETITEMW
  BOOL SetItem(int nItem, TCITEMW* pTabCtrlItem) const;  // TCM_SETITEMW
  BOOL DeleteItem(int nItem) const;
  int GetItemCount() const;
  int GetCurSel() const;           // -1 when nothing is selected
  int SetCurSel(int nItem) const;  // sends no TCN_SELCHANGE; returns the previous selection
};
