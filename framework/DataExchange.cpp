// Binding a dialog's controls to its control members.
#include "framework/DataExchange.h"

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (pDX == nullptr || pDX->m_pDlgWnd == nullptr || rControl.m_hWnd != nullptr) return;
  CDialog* pDlg = pDX->m_pDlgWnd;
  HWND hControl = ::GetDlgItem(pDlg->m_hWnd, nIDC);
  if (hControl == nullptr || !rControl.Attach(hControl)) return;
  pDlg->m_boundControls.push_back(&rControl);
}
