#pragma once

#include "framework/Framework.h"

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
