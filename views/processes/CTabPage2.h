#pragma once

#include "framework/Framework.h"

class HandleEntry;

class CTabPage2 : public CPropertyPage {
  DECLARE_DYNAMIC(CTabPage2)

 public:
  CTabPage2();
  BOOL OnInitDialog() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnSize(UINT nType, int cx, int cy);
  void OnShowWindow(BOOL bShow, UINT nStatus);
  DECLARE_MESSAGE_MAP()

 public:
  CListCtrl m_list;

 private:
  void InsertHandleRow(int row, HANDLE owner, const HandleEntry& entry);
};
