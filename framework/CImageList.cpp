// CImageList: the owned image list and the few operations the pages use.
#include "framework/CImageList.h"

CImageList::~CImageList() { DeleteImageList(); }

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
  if (m_hImageList != nullptr) return FALSE;
  m_hImageList = ::ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
  return m_hImageList != nullptr;
}

BOOL CImageList::DeleteImageList() {
  if (m_hImageList == nullptr) return FALSE;
  ::ImageList_Destroy(m_hImageList);
  m_hImageList = nullptr;
  return TRUE;
}

int CImageList::Add(HICON hIcon) {
  if (m_hImageList == nullptr) return -1;
  return ::ImageList_ReplaceIcon(m_hImageList, -1, hIcon);
}

BOOL CImageList::Remove(int nImage) {
  if (m_hImageList == nullptr) return FALSE;
  return ::ImageList_Remove(m_hImageList, nImage);
}

int CImageList::GetImageCount() const { return m_hImageList != nullptr ? ::ImageList_GetImageCount(m_hImageList) : 0; }
