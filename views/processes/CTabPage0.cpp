#include "views/processes/CTabPage0.h"

#include "native/NativeOwners.h"
#include "readers/MappedImages.h"
#include "views/common/ListFill.h"
#include "views/common/SingleListPage.h"
#include "views/processes/DetailProcessId.h"
#include "views/processes/ModuleText.h"

IMPLEMENT_DYNAMIC(CTabPage0, CPropertyPage)

BEGIN_MESSAGE_MAP(CTabPage0, CPropertyPage)
  ON_WM_SIZE()
  ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

namespace {

constexpr ListColumn kColumns[] = {
    {L"#", LVCFMT_CENTER, 30},       {L"模块名称", LVCFMT_LEFT, 140}, {L"映射基地址", LVCFMT_RIGHT, 120},
    {L"模块大小", LVCFMT_RIGHT, 80}, {L"模块路径", LVCFMT_LEFT, 500},
};

}  // namespace

CTabPage0::CTabPage0() : CPropertyPage(110, 0, 104) {}

void CTabPage0::DoDataExchange(CDataExchange* pDX) { SingleListDoDataExchange(pDX, m_list); }

BOOL CTabPage0::OnInitDialog() {
  CDialog::OnInitDialog();
  SingleListInit(m_list, kColumns);
  return TRUE;
}

void CTabPage0::OnSize(UINT, int cx, int cy) { SingleListOnSize(*this, m_list, cx, cy); }

void CTabPage0::OnShowWindow(BOOL bShow, UINT) {
  Default();
  m_list.DeleteAllItems();
  if (!bShow) return;

  // The reader closes the process before any row is added.
  UniqueNativeBuffer listBuffer(EnumProcessImagesById(ReadDetailProcessId(*this)));
  if (!listBuffer) return;
  auto* list = static_cast<MappedImageList*>(listBuffer.Get());
  ListFillScope fill(m_list, list->Count);
  for (ULONG i = 0; i < list->Count; ++i) {
    UniqueNativeBuffer record(list->Records()[i]);  // released after its row
    const int row = static_cast<int>(i);
    const ModuleRowTexts texts = MakeModuleRowTexts(row, *static_cast<const MappedImageRecord*>(record.Get()));
    m_list.InsertItem(row, texts.number);
    m_list.SetItemText(row, 2, texts.base);
    m_list.SetItemText(row, 3, texts.size);
    m_list.SetItemText(row, 4, texts.path);
    m_list.SetItemText(row, 1, texts.name);
  }
}
