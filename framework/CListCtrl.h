// CListCtrl: a non-owning holder of a list-view control; one message per method.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/CHeaderCtrl.h"
#include "framework/CWnd.h"

class CImageList;

class CListCtrl : public CWnd {
 public:
  CListCtrl() = default;
  explicit CListCtrl(HWND hWnd) : CWnd(hWnd) {}

  // Columns. InsertColumn sets the text, format and (unless -1) the width;
  // a sub-item index is set only when nSubItem is not -1. Returns the index or -1.
  int InsertColumn(int nCol, LPCWSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1,
                   int nSubItem = -1) const;
  BOOL DeleteColumn(int nCol) const;
  BOOL SetColumnWidth(int nCol, int cx) const;
  int GetColumnWidth(int nCol) const;
  CHeaderCtrl GetHeaderCtrl() const;  // LVM_GETHEADER
  // The display order of the columns. Goes through the list itself, so that
  // the cells move with their headers.
  BOOL GetColumnOrderArray(LPINT piArray, int iCount) const;  // LVM_GETCOLUMNORDERARRAY
  BOOL SetColumnOrderArray(int iCount, LPINT piArray) const;  // LVM_SETCOLUMNORDERARRAY

  // Rows. Each InsertItem returns the index the row really got (a sorted
  // list may place it elsewhere), or -1.
  int InsertItem(int nItem, LPCWSTR lpszItem) const;              // LVIF_TEXT
  int InsertItem(int nItem, LPCWSTR lpszItem, int nImage) const;  // LVIF_TEXT | LVIF_IMAGE
  int InsertItem(UINT nMask, int nItem, LPCWSTR lpszItem, UINT nState, UINT nStateMask, int nImage,
                 LPARAM lParam) const;
  int InsertItem(const LVITEMW* pItem) const;
  BOOL SetItem(const LVITEMW* pItem) const;
  BOOL SetItem(int nItem, int nSubItem, UINT nMask, LPCWSTR lpszItem, int nImage, UINT nState, UINT nStateMask,
               LPARAM lParam) const;
  BOOL GetItem(LVITEMW* pItem) const;
  BOOL SetItemText(int nItem, int nSubItem, LPCWSTR lpszText) const;
  CString GetItemText(int nItem, int nSubItem) const;  // the whole text, however long; "" for no row
  BOOL SetItemData(int nItem, DWORD_PTR dwData) const;
  DWORD_PTR GetItemData(int nItem) const;  // 0 for no row
  BOOL DeleteItem(int nItem) const;
  BOOL DeleteAllItems() const;  // LVM_DELETEALLITEMS
  int GetItemCount() const;
  BOOL EnsureVisible(int nItem, BOOL bPartialOK) const;

  // Styles and images.
  DWORD SetExtendedStyle(DWORD dwNewStyle) const;  // LVM_SETEXTENDEDLISTVIEWSTYLE with mask 0: exactly these
  DWORD GetExtendedStyle() const;
  // LVM_SETIMAGELIST; returns the previous list. The list view is made to
  // share the image list (LVS_SHAREIMAGELISTS), so it never destroys it:
  // the CImageList owns it.
  HIMAGELIST SetImageList(CImageList* pImageList, int nImageListType) const;
  HIMAGELIST GetImageList(int nImageListType) const;
};
