// CListCtrl: list-view messages, one per method.
#include "framework/CListCtrl.h"

#include "framework/CImageList.h"

namespace {

LPARAM ToLParam(const void* p) { return reinterpret_cast<LPARAM>(p); }

}  // namespace

int CListCtrl::InsertColumn(int nCol, LPCWSTR lpszColumnHeading, int nFormat, int nWidth, int nSubItem) const {
  LVCOLUMNW column = {};
  column.mask = LVCF_TEXT | LVCF_FMT;
  column.fmt = nFormat;
  column.pszText = const_cast<LPWSTR>(lpszColumnHeading);
  if (nWidth != -1) {
    column.mask |= LVCF_WIDTH;
    column.cx = nWidth;
  }
  if (nSubItem != -1) {
    column.mask |= LVCF_SUBITEM;
    column.iSubItem = nSubItem;
  }
  return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(nCol), ToLParam(&column)));
}

BOOL CListCtrl::DeleteColumn(int nCol) const {
  return static_cast<BOOL>(SendMessage(LVM_DELETECOLUMN, static_cast<WPARAM>(nCol)));
}

BOOL CListCtrl::SetColumnWidth(int nCol, int cx) const {
  return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(nCol), MAKELPARAM(cx, 0)));
}

int CListCtrl::GetColumnWidth(int nCol) const {
  return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(nCol)));
}

CHeaderCtrl CListCtrl::GetHeaderCtrl() const { return CHeaderCtrl(reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER))); }

BOOL CListCtrl::GetColumnOrderArray(LPINT piArray, int iCount) const {
  return static_cast<BOOL>(
      SendMessage(LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(iCount), reinterpret_cast<LPARAM>(piArray)));
}

BOOL CListCtrl::SetColumnOrderArray(int iCount, LPINT piArray) const {
  return static_cast<BOOL>(
      SendMessage(LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(iCount), reinterpret_cast<LPARAM>(piArray)));
}

int CListCtrl::InsertItem(int nItem, LPCWSTR lpszItem) const {
  return InsertItem(LVIF_TEXT, nItem, lpszItem, 0, 0, 0, 0);
}

int CListCtrl::InsertItem(int nItem, LPCWSTR lpszItem, int nImage) const {
  return InsertItem(LVIF_TEXT | LVIF_IMAGE, nItem, lpszItem, 0, 0, nImage, 0);
}

int CListCtrl::InsertItem(UINT nMask, int nItem, LPCWSTR lpszItem, UINT nState, UINT nStateMask, int nImage,
                          LPARAM lParam) const {
  LVITEMW item = {};
  item.mask = nMask;
  item.iItem = nItem;
  item.pszText = const_cast<LPWSTR>(lpszItem);
  item.state = nState;
  item.stateMask = nStateMask;
  item.iImage = nImage;
  item.lParam = lParam;
  return InsertItem(&item);
}

int CListCtrl::InsertItem(const LVITEMW* pItem) const {
  return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, ToLParam(pItem)));
}

BOOL CListCtrl::SetItem(const LVITEMW* pItem) const {
  return static_cast<BOOL>(SendMessage(LVM_SETITEMW, 0, ToLParam(pItem)));
}

BOOL CListCtrl::SetItem(int nItem, int nSubItem, UINT nMask, LPCWSTR lpszItem, int nImage, UINT nState, UINT nStateMask,
                        LPARAM lParam) const {
  LVITEMW item = {};
  item.mask = nMask;
  item.iItem = nItem;
  item.iSubItem = nSubItem;
  item.pszText = const_cast<LPWSTR>(lpszItem);
  item.iImage = nImage;
  item.state = nState;
  item.stateMask = nStateMask;
  item.lParam = lParam;
  return SetItem(&item);
}

BOOL CListCtrl::GetItem(LVITEMW* pItem) const {
  return static_cast<BOOL>(SendMessage(LVM_GETITEMW, 0, ToLParam(pItem)));
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCWSTR lpszText) const {
  LVITEMW item = {};
  item.iSubItem = nSubItem;
  item.pszText = const_cast<LPWSTR>(lpszText);
  return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(nItem), ToLParam(&item)));
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const {
  // The message cannot tell the length beforehand: grow until the text fits
  // with room to spare.
  std::wstring buffer(256, L'\0');
  for (;;) {
    LVITEMW item = {};
    item.iSubItem = nSubItem;
    item.pszText = &buffer[0];
    item.cchTextMax = static_cast<int>(buffer.size());
    const int copied = static_cast<int>(SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(nItem), ToLParam(&item)));
    if (copied < static_cast<int>(buffer.size()) - 1 || buffer.size() >= 0x100000) {
      return CString(buffer.c_str(), copied > 0 ? copied : 0);
    }
    buffer.assign(buffer.size() * 2, L'\0');
  }
}

BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR dwData) const {
  return SetItem(nItem, 0, LVIF_PARAM, nullptr, 0, 0, 0, static_cast<LPARAM>(dwData));
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const {
  LVITEMW item = {};
  item.mask = LVIF_PARAM;
  item.iItem = nItem;
  return GetItem(&item) ? static_cast<DWORD_PTR>(item.lParam) : 0;
}

BOOL CListCtrl::DeleteItem(int nItem) const {
  return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(nItem)));
}

BOOL CListCtrl::DeleteAllItems() const { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }

int CListCtrl::GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }

BOOL CListCtrl::EnsureVisible(int nItem, BOOL bPartialOK) const {
  return static_cast<BOOL>(SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(nItem), MAKELPARAM(bPartialOK, 0)));
}

DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle) const {
  return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(dwNewStyle)));
}

DWORD CListCtrl::GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }

HIMAGELIST CListCtrl::SetImageList(CImageList* pImageList, int nImageListType) const {
  // Without this style the list view would destroy the image list with
  // itself, under the CImageList that owns it.
  const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
  if ((style & LVS_SHAREIMAGELISTS) == 0) ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style | LVS_SHAREIMAGELISTS);
  HIMAGELIST hImageList = pImageList != nullptr ? pImageList->GetSafeHandle() : nullptr;
  return reinterpret_cast<HIMAGELIST>(
      SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(nImageListType), reinterpret_cast<LPARAM>(hImageList)));
}

HIMAGELIST CListCtrl::GetImageList(int nImageListType) const {
  return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_GETIMAGELIST, static_cast<WPARAM>(nImageListType)));
}
