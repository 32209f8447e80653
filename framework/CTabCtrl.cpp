// CTabCtrl: tab-control messages.
#include "framework/CTabCtrl.h"

LONG CTabCtrl::InsertItem(int nItem, LPCWSTR lpszItem) const {
  TCITEMW item = {};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<LPWSTR>(lpszItem);
  return InsertItem(nItem, &item);
}

LONG CTabCtrl::InsertItem(int nItem, TCITEMW* pTabCtrlItem) const {
  return static_cast<LONG>(
      SendMessage(TCM_INSERTITEMW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(pTabCtrlItem)));
}

BOOL CTabCtrl::GetItem(int nItem, TCITEMW* pTabCtrlItem) const {
  return static_cast<BOOL>(
      SendMessage(TCM_GETITEMW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(pTabCtrlItem)));
}

BOOL CTabCtrl::SetItem(int nItem, TCITEMW* pTabCtrlItem) const {
  return static_cast<BOOL>(
      SendMessage(TCM_SETITEMW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(pTabCtrlItem)));
}

BOOL CTabCtrl::DeleteItem(int nItem) const {
  return static_cast<BOOL>(SendMessage(TCM_DELETEITEM, static_cast<WPARAM>(nItem)));
}

int CTabCtrl::GetItemCount() const { return static_cast<int>(SendMessage(TCM_GETITEMCOUNT)); }

int CTabCtrl::GetCurSel() const { return static_cast<int>(SendMessage(TCM_GETCURSEL)); }

int CTabCtrl::SetCurSel(int nItem) const {
  return static_cast<int>(SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(nItem)));
}
