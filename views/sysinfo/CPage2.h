#pragma once

#include "framework/Framework.h"

// The system-information page: the operating-system report on the left, the
// processor report on the right, both rebuilt each time the page is shown.
class CPage2 : public CPropertyPage {
  DECLARE_DYNAMIC(CPage2)

 public:
  CPage2();
  BOOL OnInitDialog() override;

  // Writes the version name into name (1024 characters) and may set
  // m_bPatchGuard3; FALSE when the system is not of the NT family or older
  // than version 5.
  BOOL GetOsName(wchar_t* name);
  void FillOsInfo();
  void FillCpuInfo();

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnSize(UINT nType, int cx, int cy);
  void OnShowWindow(BOOL bShow, UINT nStatus);
  DECLARE_MESSAGE_MAP()

 public:
  CStatic m_frame;
  CStatic m_grpCpu;
  CStatic m_grpOs;
  CEdit m_editOs;
  CEdit m_editCpu;
  BOOL m_bPatchGuard3 = FALSE;
};
