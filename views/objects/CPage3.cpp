#include "views/objects/CPage3.h"

#include "readers/ObjectDirectory.h"
#include "res/resource.h"
#include "views/common/ListFill.h"
#include "views/objects/ObjectText.h"

IMPLEMENT_DYNAMIC(CPage3, CPropertyPage)

BEGIN_MESSAGE_MAP(CPage3, CPropertyPage)
  ON_WM_SIZE()
  ON_NOTIFY(TVN_SELCHANGED, IDC_TREE, &CPage3::OnTvnSelchangedTree)
  ON_WM_SHOWWINDOW()
  ON_NOTIFY(NM_DBLCLK, IDC_LIST, &CPage3::OnNMDblclkList)
END_MESSAGE_MAP()

namespace {

// The icons behind image indices 2 to 14; 0 and 1 are the two folders.
constexpr UINT kTypeIcons[] = {IDI_DEVICE, IDI_DRIVER,         IDI_EVENT,     IDI_KEY,       IDI_MUTANT,
                               IDI_PORT,   IDI_PROFILE,        IDI_SECTION,   IDI_SEMAPHORE, IDI_SYMBOLIC_LINK,
                               IDI_TIMER,  IDI_WINDOW_STATION, IDI_OTHER_TYPE};

constexpr DWORD kListExStyle = LVS_EX_DOUBLEBUFFER | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES;
constexpr UINT kTreeItemMask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;

}  // namespace

CPage3::CPage3() : CPropertyPage(IDD_PAGE3, 0, 104) {}

void CPage3::DoDataExchange(CDataExchange* pDX) {
  DDX_Control(pDX, IDC_TREE, m_tree);
  DDX_Control(pDX, IDC_LIST, m_list);
}

BOOL CPage3::OnInitDialog() {
  CDialog::OnInitDialog();
  m_imageList.Create(16, 16, ILC_COLOR16 | ILC_MASK, 16, 1);
  m_tree.SetImageList(&m_imageList, TVSIL_NORMAL);
  const HINSTANCE module = GetResourceModule();
  m_imageList.Add(::LoadIconW(module, MAKEINTRESOURCEW(IDI_DIRECTORY)));
  m_imageList.Add(::LoadIconW(module, MAKEINTRESOURCEW(IDI_DIRECTORY_OPEN)));

  m_list.InsertColumn(0, L"Name", LVCFMT_LEFT, 320);
  m_list.InsertColumn(1, L"Type", LVCFMT_LEFT, 100);
  m_list.InsertColumn(2, L"SymLink", LVCFMT_LEFT, 260);
  m_list.SetImageList(&m_imageList, LVSIL_SMALL);
  for (UINT icon : kTypeIcons) m_imageList.Add(::LoadIconW(module, MAKEINTRESOURCEW(icon)));
  m_list.SetExtendedStyle(kListExStyle);
  return TRUE;
}

void CPage3::OnSize(UINT, int cx, int cy) {
  Default();
  if (m_list.GetSafeHwnd() == nullptr || m_tree.GetSafeHwnd() == nullptr) return;
  RECT rc{};
  m_list.GetClientRect(&rc);
  const int third = cx / 3;
  m_tree.MoveWindow(rc.left, rc.top, third - 102 - rc.left, cy - rc.top, TRUE);
  m_list.MoveWindow(third - 98, rc.top, cx - (third - 98), cy - rc.top, TRUE);
}

void CPage3::OnShowWindow(BOOL bShow, UINT) {
  Default();
  if (!bShow || !m_bFirstShow) return;
  HTREEITEM root =
      m_tree.InsertItem(kTreeItemMask, L"\\", kImageDirectory, kImageDirectoryOpen, 0, 0, 0, TVI_ROOT, TVI_LAST);
  CString path(L"\\");
  {
    ListFillScope fill(m_tree);
    EnumDirectoryTree(path, root);
  }
  m_tree.Expand(root, TVE_EXPAND);
  m_tree.SelectItem(root);
  ListDirectoryObjects(path);
  m_bFirstShow = 0;
}

NTSTATUS CPage3::EnumDirectoryTree(CString& path, HTREEITEM hParent, int depth) {
  // However deep the namespace goes, the build stays within a fixed depth.
  if (depth >= kMaxTreeDepth) return kStatusSuccess;
  ObjectDirectory directory;
  const NTSTATUS status = directory.Read(path);
  ObjectDirectoryEntry entry;
  while (directory.Next(&entry)) {
    if (entry.typeName != L"Directory") continue;
    HTREEITEM item =
        m_tree.InsertItem(kTreeItemMask, entry.name, kImageDirectory, kImageDirectoryOpen, 0, 0, 0, hParent, TVI_SORT);
    if (item == nullptr) continue;  // a null parent would put the subtree at the top level
    CString child = ChildDirectoryPath(path, entry.name);
    EnumDirectoryTree(child, item, depth + 1);
  }
  return status;
}

void CPage3::OnNMDblclkList(NMHDR* pNMHDR, LRESULT* pResult) {
  const int row = reinterpret_cast<const NMITEMACTIVATE*>(pNMHDR)->iItem;
  if (m_list.GetItemText(row, 1) == L"Directory") {
    const CString name = m_list.GetItemText(row, 0);
    HTREEITEM selected = m_tree.GetSelectedItem();
    HTREEITEM first = selected != nullptr ? m_tree.GetChildItem(selected) : nullptr;
    for (HTREEITEM child = first; child != nullptr; child = m_tree.GetNextSiblingItem(child)) {
      if (m_tree.GetItemText(child) == name) {
        m_tree.SelectItem(child);
        break;
      }
    }
  }
  *pResult = 0;
}
