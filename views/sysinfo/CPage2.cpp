#include "views/sysinfo/CPage2.h"

#include "views/sysinfo/CpuReport.h"

IMPLEMENT_DYNAMIC(CPage2, CPropertyPage)

BEGIN_MESSAGE_MAP(CPage2, CPropertyPage)
  ON_WM_SIZE()
  ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

CPage2::CPage2() : CPropertyPage(109, 0, 104) {}

void CPage2::DoDataExchange(CDataExchange* pDX) {
  DDX_Control(pDX, 1002, m_frame);
  DDX_Control(pDX, 1004, m_grpCpu);
  DDX_Control(pDX, 1003, m_grpOs);
  DDX_Control(pDX, 1007, m_editOs);
  DDX_Control(pDX, 1006, m_editCpu);
}

BOOL CPage2::OnInitDialog() {
  CDialog::OnInitDialog();
  return TRUE;
}

// The frame fills the page; the two group boxes share it, 8 pixels from its
// edges and 4 either side of the centre, each edit inside its box.
void CPage2::OnSize(UINT, int cx, int cy) {
  Default();
  if (m_frame.GetSafeHwnd() == nullptr) return;  // the controls are not attached yet
  RECT rc{};
  m_frame.GetClientRect(&rc);
  rc.right = cx;
  rc.bottom = cy;
  const int L = rc.left, T = rc.top, R = rc.right, B = rc.bottom;
  m_frame.MoveWindow(L, T, cx - L, cy - T, TRUE);
  const int half = R / 2;
  m_grpOs.MoveWindow(L + 8, T + 8, (half - 4) - (L + 8), (B - 8) - (T + 8), TRUE);
  m_editOs.MoveWindow(L + 12, T + 28, (half - 8) - (L + 12), (B - 12) - (T + 28), TRUE);
  const int x2 = L + half + 4;
  m_grpCpu.MoveWindow(x2, T + 8, (R - 8) - x2, (B - 8) - (T + 8), TRUE);
  m_editCpu.MoveWindow(x2 + 4, T + 28, (R - 12) - (x2 + 4), (B - 12) - (T + 28), TRUE);
}

void CPage2::OnShowWindow(BOOL bShow, UINT) {
  Default();
  if (!bShow) return;
  FillOsInfo();
  FillCpuInfo();
}

void CPage2::FillCpuInfo() { m_editCpu.SetWindowText(BuildCpuReport(&CpuId)); }
