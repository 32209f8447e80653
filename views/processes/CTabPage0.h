#pragma once

#include "framework/Framework.h"

// The modules tab: the images and mapped files of the process whose id the
// process page put into item 3 of its tab control, rebuilt on every showing.
class CTabPage0 : public CPropertyPage {
  DECLARE_DYNAMIC(CTabPage0)

 public:
  CTabPage0();
  BOOL OnInitDialog() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnSize(UINT nType, int cx, int cy);
  void OnShowWindow(BOOL bShow, UINT nStatus);
  DECLARE_MESSAGE_MAP()

 public:
  CListCtrl m_list;
};
