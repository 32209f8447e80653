// CImageList: owns one image list; it is destroyed with the object. Controls
// given it through SetImageList only refer to it.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CImageList {
 public:
  CImageList() = default;
  ~CImageList();
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;

  // ImageList_Create; FALSE when it fails or the object already holds a list.
  BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
  BOOL DeleteImageList();  // destroys the list now (TRUE when one was held)

  HIMAGELIST GetSafeHandle() const { return m_hImageList; }
  operator HIMAGELIST() const { return m_hImageList; }

  int Add(HICON hIcon);     // appends a copy of the icon; its index, or -1
  BOOL Remove(int nImage);  // -1 removes every image
  int GetImageCount() const;

 private:
  HIMAGELIST m_hImageList = nullptr;
};
