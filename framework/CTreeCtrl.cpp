// CTreeCtrl: tree-view messages, one per method.
#include "framework/CTreeCtrl.h"

#include "framework/CImageList.h"

HTREEITEM CTreeCtrl::InsertItem(UINT nMask, LPCWSTR lpszItem, int nImage, int nSelectedImage, UINT nState,
                                UINT nStateMask, LPARAM lParam, HTREEITEM hParent, HTREEITEM hInsertAfter) const {
  TVINSERTSTRUCTW insert = {};
  insert.hParent = hParent;
  insert.hInsertAfter = hInsertAfter;
  insert.item.mask = nMask;
  insert.item.pszText = const_cast<LPWSTR>(lpszItem);
  insert.item.iImage = nImage;
  insert.item.iSelectedImage = nSelectedImage;
  insert.item.state = nState;
  insert.item.stateMask = nStateMask;
  insert.item.lParam = lParam;
  return InsertItem(&insert);
}

HTREEITEM CTreeCtrl::InsertItem(LPCWSTR lpszItem, int nImage, int nSelectedImage, HTREEITEM hParent,
                                HTREEITEM hInsertAfter) const {
  return InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, lpszItem, nImage, nSelectedImage, 0, 0, 0, hParent,
                    hInsertAfter);
}

HTREEITEM CTreeCtrl::InsertItem(const TVINSERTSTRUCTW* pInsertStruct) const {
  return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(pInsertStruct)));
}

CString CTreeCtrl::GetItemText(HTREEITEM hItem) const {
  if (hItem == nullptr) return CString();
  // The item's length is not available up front: grow until the text fits
  // with room to spare.
  std::wstring buffer(256, L'\0');
  for (;;) {
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = hItem;
    item.pszText = &buffer[0];
    item.cchTextMax = static_cast<int>(buffer.size());
    if (!SendMessage(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return CString();
    const size_t length = wcsnlen(buffer.c_str(), buffer.size());
    if (length < buffer.size() - 1 || buffer.size() >= 0x100000)
      return CString(buffer.c_str(), static_cast<int>(length));
    buffer.assign(buffer.size() * 2, L'\0');
  }
}

BOOL CTreeCtrl::DeleteAllItems() const {
  return static_cast<BOOL>(SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)));
}

UINT CTreeCtrl::GetCount() const { return static_cast<UINT>(SendMessage(TVM_GETCOUNT)); }

HTREEITEM CTreeCtrl::GetNextItem(HTREEITEM hItem, UINT nCode) const {
  return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, nCode, reinterpret_cast<LPARAM>(hItem)));
}

HTREEITEM CTreeCtrl::GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }

HTREEITEM CTreeCtrl::GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }

HTREEITEM CTreeCtrl::GetChildItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_CHILD); }

HTREEITEM CTreeCtrl::GetNextSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXT); }

HTREEITEM CTreeCtrl::GetParentItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PARENT); }

BOOL CTreeCtrl::SelectItem(HTREEITEM hItem) const { return Select(hItem, TVGN_CARET); }

BOOL CTreeCtrl::Select(HTREEITEM hItem, UINT nCode) const {
  return static_cast<BOOL>(SendMessage(TVM_SELECTITEM, nCode, reinterpret_cast<LPARAM>(hItem)));
}

BOOL CTreeCtrl::Expand(HTREEITEM hItem, UINT nCode) const {
  return static_cast<BOOL>(SendMessage(TVM_EXPAND, nCode, reinterpret_cast<LPARAM>(hItem)));
}

HIMAGELIST CTreeCtrl::SetImageList(CImageList* pImageList, int nImageListType) const {
  HIMAGELIST hImageList = pImageList != nullptr ? pImageList->GetSafeHandle() : nullptr;
  return reinterpret_cast<HIMAGELIST>(
      SendMessage(TVM_SETIMAGELIST, static_cast<WPARAM>(nImageListType), reinterpret_cast<LPARAM>(hImageList)));
}
