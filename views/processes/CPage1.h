#pragma once

#include "framework/Framework.h"

// The kernel modules page: one row per module of a fresh snapshot each time
// the page is shown; empty while hidden.
class CPage1 : public CPropertyPage {
  DECLARE_DYNAMIC(CPage1)

 public:
  CPage1();
  BOOL OnInitDialog() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnSize(UINT nType, int cx, int cy);
  void OnShowWindow(BOOL bShow, UINT nStatus);
  DECLARE_MESSAGE_MAP()

 public:
  CListCtrl m_list;
};
