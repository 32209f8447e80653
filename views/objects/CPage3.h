#pragma once

#include "framework/Framework.h"

// The kernel-object browser: the directory tree and the objects of the
// selected directory.
class CPage3 : public CPropertyPage {
  DECLARE_DYNAMIC(CPage3)

 public:
  CPage3();
  BOOL OnInitDialog() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnSize(UINT nType, int cx, int cy);
  void OnShowWindow(BOOL bShow, UINT nStatus);
  DECLARE_MESSAGE_MAP()

 public:
  CTreeCtrl m_tree;
  CListCtrl m_list;
  CImageList m_imageList;
};
