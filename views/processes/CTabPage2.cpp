#include "views/processes/CTabPage2.h"

#include <utility>

#include "native/NativeOwners.h"
#include "readers/HandleQueries.h"
#include "readers/HandleSnapshot.h"
#include "views/common/ListFill.h"
#include "views/common/SingleListPage.h"
#include "views/processes/DetailProcessId.h"
#include "views/processes/HandleText.h"
#include "views/processes/ProcessText.h"

IMPLEMENT_DYNAMIC(CTabPage2, CPropertyPage)

BEGIN_MESSAGE_MAP(CTabPage2, CPropertyPage)
  ON_WM_SIZE()
  ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

namespace {

constexpr ListColumn kColumns[] = {
    {L"#", LVCFMT_CENTER, 40},     {L"类型(索引)", LVCFMT_LEFT, 120}, {L"名称", LVCFMT_LEFT, 400},
    {L"句柄值", LVCFMT_RIGHT, 60}, {L"对象地址", LVCFMT_LEFT, 130},   {L"访问权限", LVCFMT_RIGHT, 80},
    {L"属性", LVCFMT_RIGHT, 50},
};
// A name query that may never return is given this long; the page then goes on.
constexpr DWORD kHangingNameQueryTimeoutMs = 300;

// The name cell of one handle of the process behind `owner`, by the first
// naming rule that its type text and access select. `duplicate` is the
// handle duplicated with its own access (or null); the object-name rule
// queries it.
CString HandleNameCell(HANDLE owner, const HandleEntry& entry, const CString& typeText, UniqueNtHandle duplicate) {
  const ULONG_PTR value = entry.HandleValue();
  switch (ChooseHandleNamingRule(typeText, entry.GrantedAccess())) {
    case HandleNamingRule::kProcess: {
      duplicate.Reset();
      ProcessHandleTarget target;
      return ReadProcessHandleTarget(owner, value, &target) ? ProcessHandleNameText(target) : CString();
    }
    case HandleNamingRule::kThread: {
      duplicate.Reset();
      ThreadHandleTarget target;
      return ReadThreadHandleTarget(owner, value, &target) ? ThreadHandleNameText(target) : CString();
    }
    case HandleNamingRule::kNamedPipe:
      return kNamedPipeName;
    case HandleNamingRule::kObjectName:
      break;
  }
  const DWORD timeout = NameQueryMayHang(typeText) ? kHangingNameQueryTimeoutMs : INFINITE;
  CString name;
  const bool found = ReadObjectName(std::move(duplicate), timeout, &name);
  return ObjectNameText(found, name);
}

}  // namespace

CTabPage2::CTabPage2() : CPropertyPage(112, 0, 104) {}

void CTabPage2::DoDataExchange(CDataExchange* pDX) { SingleListDoDataExchange(pDX, m_list); }

BOOL CTabPage2::OnInitDialog() {
  CDialog::OnInitDialog();
  SingleListInit(m_list, kColumns);
  return TRUE;
}

void CTabPage2::OnSize(UINT, int cx, int cy) { SingleListOnSize(*this, m_list, cx, cy); }

void CTabPage2::OnShowWindow(BOOL bShow, UINT) {
  Default();
  m_list.DeleteAllItems();
  if (!bShow) return;

  const ULONG_PTR processId = ReadDetailProcessId(*this);
  UniqueNativeBuffer snapshot(QueryHandleSnapshot());
  if (!snapshot) return;
  const ByteSpan span = SpanOfNativeBuffer(snapshot.Get());
  const size_t count = HandleEntryCount(span);
  size_t rows = 0;
  for (size_t i = 0; i < count; ++i) rows += HandleEntryAt(span, i).UniqueProcessId() == processId;

  // One open of the owner serves every row of this showing.
  UniqueNtHandle owner(OpenHandleOwner(processId));
  ListFillScope fill(m_list, rows);
  int row = 0;
  for (size_t i = 0; i < count; ++i) {
    const HandleEntry entry = HandleEntryAt(span, i);
    if (entry.UniqueProcessId() == processId) InsertHandleRow(row++, owner.Get(), entry);
  }
}

// One duplicate of the handle answers both its type and its name.
void CTabPage2::InsertHandleRow(int row, HANDLE owner, const HandleEntry& entry) {
  m_list.InsertItem(row, RowNumberText(row));
  UniqueNtHandle duplicate(DuplicateForQuery(owner, entry.HandleValue()));
  CString typeName;
  const bool typed = ReadObjectTypeName(duplicate.Get(), &typeName);
  const CString typeText = HandleTypeText(typed ? &typeName : nullptr, entry.ObjectTypeIndex());
  m_list.SetItemText(row, 1, typeText);
  m_list.SetItemText(row, 2, HandleNameCell(owner, entry, typeText, std::move(duplicate)));
  m_list.SetItemText(row, 3, HexText(entry.HandleValue()));
  m_list.SetItemText(row, 4, PointerText(entry.Object()));
  m_list.SetItemText(row, 5, HexText(entry.GrantedAccess()));
  m_list.SetItemText(row, 6, HandleAttributesText(entry.HandleAttributes()));
}
