#pragma once

#include "framework/Framework.h"

class CPage4 : public CPropertyPage {
  DECLARE_DYNAMIC(CPage4)

 public:
  CPage4();
  BOOL OnInitDialog() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnSize(UINT nType, int cx, int cy);
  void OnClose();
  DECLARE_MESSAGE_MAP()

 public:
  CListCtrl m_list;
};
