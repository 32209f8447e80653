#pragma once

#include "framework/Framework.h"
#include "views/processes/CTabPage0.h"
#include "views/processes/CTabPage1.h"
#include "views/processes/CTabPage2.h"

class ProcessRecord;

// The process list, and the per-process detail view (modules, threads,
// handles) that a double-click on a row opens in its place.
class CPage0 : public CPropertyPage {
  DECLARE_DYNAMIC(CPage0)

 public:
  CPage0();
  BOOL OnInitDialog() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnSize(UINT nType, int cx, int cy);
  void OnNMDblclkList(NMHDR* pNMHDR, LRESULT* pResult);
  void OnTcnSelchangeTab(NMHDR* pNMHDR, LRESULT* pResult);
  void OnShowWindow(BOOL bShow, UINT nStatus);
  DECLARE_MESSAGE_MAP()

 public:
  CListCtrl m_list;
  CTabCtrl m_tab;
  CTabPage0 m_tabPage0;
  CTabPage1 m_tabPage1;
  CTabPage2 m_tabPage2;
  CImageList m_imageList;

 private:
  void InsertProcessRow(int row, const ProcessRecord& record);
  HANDLE FillFromProcess(int row, const ProcessRecord& record);
  void FillFullAccess(int row, HANDLE process);
  void FillLimitedAccess(int row, HANDLE process, const ProcessRecord& record);
  void AddRowIcon(int row);
  void MoveDetailPages(const RECT& tabClient);
};
