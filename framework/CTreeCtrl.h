// CTreeCtrl: a non-owning holder of a tree-view control; one message per method.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/CWnd.h"

class CImageList;

class CTreeCtrl : public CWnd {
 public:
  CTreeCtrl() = default;
  explicit CTreeCtrl(HWND hWnd) : CWnd(hWnd) {}

  // TVM_INSERTITEMW; the new item or null.
  HTREEITEM InsertItem(UINT nMask, LPCWSTR lpszItem, int nImage, int nSelectedImage, UINT nState, UINT nStateMask,
                       LPARAM lParam, HTREEITEM hParent, HTREEITEM hInsertAfter) const;
  HTREEITEM InsertItem(LPCWSTR lpszItem, int nImage, int nSelectedImage, HTREEITEM hParent = TVI_ROOT,
                       HTREEITEM hInsertAfter = TVI_LAST) const;
  HTREEITEM InsertItem(const TVINSERTSTRUCTW* pInsertStruct) const;
  CString GetItemText(HTREEITEM hItem) const;  // the whole text; "" for no item
  BOOL DeleteAllItems() const;
  UINT GetCount() const;

  // Navigation (TVM_GETNEXTITEM with the code named).
  HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const;
  HTREEITEM GetRootItem() const;                        // TVGN_ROOT
  HTREEITEM GetSelectedItem() const;                    // TVGN_CARET
  HTREEITEM GetChildItem(HTREEITEM hItem) const;        // TVGN_CHILD
  HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const;  // TVGN_NEXT
  HTREEITEM GetParentItem(HTREEITEM hItem) const;       // TVGN_PARENT

  // TVM_SELECTITEM with TVGN_CARET; a change of selection sends
  // TVN_SELCHANGED before this returns.
  BOOL SelectItem(HTREEITEM hItem) const;
  BOOL Select(HTREEITEM hItem, UINT nCode) const;
  BOOL Expand(HTREEITEM hItem, UINT nCode) const;  // TVM_EXPAND
  // TVM_SETIMAGELIST; returns the previous list. A tree view never destroys its image lists.
  HIMAGELIST SetImageList(CImageList* pImageList, int nImageListType) const;
};
