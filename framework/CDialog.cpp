// CDialog: creation from templates, the dialog procedure that hands the
// window to its object, modal and modeless ends, and control binding.
#include "framework/CDialog.h"

#include "framework/CWinApp.h"
#include "framework/DataExchange.h"
#include "framework/Module.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, &CDialog::OnOK)
  ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
  // The derived members bound by DDX_Control are gone already.
  m_boundControls.clear();
  if (m_hWnd != nullptr) DestroyWindow();
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
  // Only WM_INITDIALOG arrives here with work to do: from then on the window is
  // subclassed and its messages reach the object's map first; whatever the map
  // passes on comes back here and gets the dialog manager's default handling.
  if (message != WM_INITDIALOG) return FALSE;
  CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
  if (pDlg == nullptr || !pDlg->SubclassWindow(hWnd)) return TRUE;
  return pDlg->OnInitDialog();
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
  if (m_hWnd != nullptr) return FALSE;
  m_nIDTemplate = nIDTemplate;
  m_pParentWnd = pParentWnd;
  m_bModal = false;
  HWND hParent = pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr;
  HWND hWnd = ::CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(nIDTemplate), hParent, &CDialog::DialogProc,
                                   reinterpret_cast<LPARAM>(this));
  return hWnd != nullptr && m_hWnd == hWnd;
}

INT_PTR CDialog::DoModal() {
  if (m_hWnd != nullptr) return -1;
  HWND hOwner = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
  CWinApp* app = GetCurrentApp();
  if (hOwner == nullptr && app != nullptr && app->m_pMainWnd != nullptr && app->m_pMainWnd != this) {
    hOwner = app->m_pMainWnd->m_hWnd;
  }
  m_bModal = true;
  const INT_PTR result = ::DialogBoxParamW(GetResourceModule(), MAKEINTRESOURCEW(m_nIDTemplate), hOwner,
                                           &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
  m_bModal = false;
  return result;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange dx(this, bSaveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

void CDialog::OnOK() {
  if (m_bModal) EndDialog(IDOK);
}

void CDialog::OnCancel() {
  if (m_bModal) EndDialog(IDCANCEL);
}

void CDialog::PostNcDestroy() {
  for (CWnd* control : m_boundControls) control->Detach();
  m_boundControls.clear();
}
