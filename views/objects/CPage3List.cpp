// The object list of the kernel-object browser: the selected directory's
// objects, and the two column layouts with the object-type statistics.
#include "views/objects/CPage3.h"

#include "readers/ObjectDirectory.h"
#include "readers/ObjectTypeTable.h"
#include "views/common/ListColumns.h"
#include "views/common/ListFill.h"
#include "views/objects/ObjectText.h"

namespace {

// Columns 2 to 6 while an "ObjectTypes" directory is selected.
constexpr ListColumn kStatisticsColumns[] = {
    {L"Objects/HighWater", LVCFMT_RIGHT, 110},
    {L"Handles/HighWater", LVCFMT_RIGHT, 110},
    {L"Invalid Attributes", LVCFMT_RIGHT, 100},
    {L"Security Required", LVCFMT_CENTER, 100},
    {L"PoolType", LVCFMT_LEFT, 60},
};

constexpr int kNormalColumnLimit = 4;  // more columns than this: the statistics layout

}  // namespace

void CPage3::OnTvnSelchangedTree(NMHDR*, LRESULT* pResult) {
  if (m_tree.GetItemText(m_tree.GetSelectedItem()) == L"ObjectTypes") {
    ShowStatisticsColumns();
    if (!m_pObjectTypes) m_pObjectTypes.Reset(QueryObjectTypeTable());
  } else {
    ShowNormalColumns();
    m_pObjectTypes.Reset();
  }
  CString path = SelectedPath();
  ListDirectoryObjects(path);
  *pResult = 0;
}

void CPage3::ShowStatisticsColumns() {
  if (m_list.GetHeaderCtrl().GetItemCount() > kNormalColumnLimit) return;
  m_list.DeleteColumn(2);
  InsertListColumns(m_list, kStatisticsColumns, 2);
  m_list.SetColumnWidth(0, 160);
  m_list.SetColumnWidth(1, 50);
}

void CPage3::ShowNormalColumns() {
  const int count = m_list.GetHeaderCtrl().GetItemCount();
  if (count <= kNormalColumnLimit) return;
  for (int i = 0; i < count - 3; ++i) m_list.DeleteColumn(3);
  m_list.DeleteColumn(2);
  m_list.InsertColumn(2, L"SymLink", LVCFMT_LEFT, 260);
  m_list.SetColumnWidth(0, 320);
  m_list.SetColumnWidth(1, 100);
}

// The caret item's text, each ancestor's text in front of it, with a "\"
// between two names but none after the root's own "\".
CString CPage3::SelectedPath() const {
  HTREEITEM item = m_tree.GetSelectedItem();
  CString path = m_tree.GetItemText(item);
  const HTREEITEM root = m_tree.GetRootItem();
  for (HTREEITEM parent = item ? m_tree.GetParentItem(item) : nullptr; parent != nullptr;
       parent = m_tree.GetParentItem(parent)) {
    if (parent != root) path = L"\\" + path;
    path = m_tree.GetItemText(parent) + path;
  }
  return path;
}

NTSTATUS CPage3::ListDirectoryObjects(CString& path) {
  m_list.DeleteAllItems();
  ObjectDirectory directory;
  const NTSTATUS status = directory.Read(path);
  ListFillScope fill(m_list);
  ObjectDirectoryEntry entry;
  for (int i = 0; directory.Next(&entry); ++i) {
    const int row = m_list.InsertItem(LVIF_TEXT | LVIF_IMAGE, i, entry.name, 0, 0, kImageOtherType, 0);
    if (row < 0) continue;  // row -1 would address every row
    m_list.SetItemText(row, 1, entry.typeName);
    const int image = ObjectTypeImage(entry.typeName);
    if (image != kImageOtherType) m_list.SetItem(row, 0, LVIF_IMAGE, nullptr, image, 0, 0, 0);
    if (entry.typeName == L"SymbolicLink") {
      CString target;
      if (directory.ReadLinkTarget(entry.name, &target)) m_list.SetItemText(row, 2, target);
    } else if (entry.typeName == L"Type") {
      FillTypeRow(row, entry.name);
    }
  }
  return status;
}

// Columns 2 to 6 of a "Type" row, from the type's record in the table.
void CPage3::FillTypeRow(int row, const CString& typeName) {
  if (!m_pObjectTypes) return;
  ObjectTypeRecord record;
  if (!FindObjectType(SpanOfNativeBuffer(m_pObjectTypes.Get()), typeName, &record)) return;
  const ObjectTypeCells cells = FormatObjectType(record);
  m_list.SetItemText(row, 2, cells.objects);
  m_list.SetItemText(row, 3, cells.handles);
  m_list.SetItemText(row, 4, cells.invalidAttributes);
  m_list.SetItemText(row, 5, cells.securityRequired);
  m_list.SetItemText(row, 6, cells.poolType);
}
