#pragma once

#include "framework/Framework.h"
#include "views/debugout/CPage4.h"
#include "views/objects/CPage3.h"
#include "views/processes/CPage0.h"
#include "views/processes/CPage1.h"
#include "views/sysinfo/CPage2.h"

// The tool's one window: a tab control with the five pages.
class CHalvernDlg : public CDialog {
 public:
  CHalvernDlg();
  ~CHalvernDlg() override;

  BOOL OnInitDialog() override;

  // Where a page sits inside a tab control whose client rectangle is rc.
  static RECT TabPageRect(const RECT& rc);

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnSysCommand(UINT nID, LPARAM lParam);
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnTcnSelchangeTab(NMHDR* pNMHDR, LRESULT* pResult);
  void OnSize(UINT nType, int cx, int cy);
  DECLARE_MESSAGE_MAP()

 public:
  HICON m_hIcon;
  CTabCtrl m_tab;
  CPage0 m_page0;
  CPage1 m_page1;
  CPage2 m_page2;
  CPage3 m_page3;
  CPage4 m_page4;

 private:
  CDialog* Page(int index);
};
