#include "views/processes/CPage1.h"

#include "readers/KernelModules.h"
#include "views/common/ListFill.h"
#include "views/common/SingleListPage.h"
#include "views/processes/ProcessText.h"

IMPLEMENT_DYNAMIC(CPage1, CPropertyPage)

BEGIN_MESSAGE_MAP(CPage1, CPropertyPage)
  ON_WM_SIZE()
  ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

namespace {

constexpr ListColumn kColumns[] = {
    {L"#", LVCFMT_CENTER, 30},       {L"模块名称", LVCFMT_LEFT, 140}, {L"基地址", LVCFMT_LEFT, 140},
    {L"模块大小", LVCFMT_RIGHT, 80}, {L"模块路径", LVCFMT_LEFT, 320}, {L"加载顺序", LVCFMT_RIGHT, 60},
};

CString LowerHexText(uint32_t value) {
  CString text;
  text.Format(L"0x%x", value);
  return text;
}

}  // namespace

CPage1::CPage1() : CPropertyPage(108, 0, 104) {}

void CPage1::DoDataExchange(CDataExchange* pDX) { SingleListDoDataExchange(pDX, m_list); }

BOOL CPage1::OnInitDialog() {
  CDialog::OnInitDialog();
  SingleListInit(m_list, kColumns);
  return TRUE;
}

void CPage1::OnSize(UINT, int cx, int cy) { SingleListOnSize(*this, m_list, cx, cy); }

void CPage1::OnShowWindow(BOOL bShow, UINT) {
  Default();
  m_list.DeleteAllItems();
  if (!bShow) return;

  std::vector<KernelModuleRecord> modules;
  if (!ReadKernelModules(&modules)) return;
  ListFillScope fill(m_list, modules.size());
  for (size_t i = 0; i < modules.size(); ++i) {
    const KernelModuleRecord& module = modules[i];
    const int row = static_cast<int>(i);
    m_list.InsertItem(row, RowNumberText(row));
    m_list.SetItemText(row, 1, module.fileName);
    m_list.SetItemText(row, 2, PointerText(static_cast<ULONG_PTR>(module.imageBase)));
    m_list.SetItemText(row, 3, LowerHexText(module.imageSize));
    m_list.SetItemText(row, 4, module.fullPath);
    m_list.SetItemText(row, 5, LowerHexText(module.loadOrderIndex));
  }
}
