#pragma once

#include "framework/Framework.h"
#include "native/NativeOwners.h"

// The kernel-object browser: the tree of the namespace's directories, built
// once on the first showing, and the objects of the selected directory, with
// per-type statistics while an "ObjectTypes" directory is selected.
class CPage3 : public CPropertyPage {
  DECLARE_DYNAMIC(CPage3)

 public:
  CPage3();
  BOOL OnInitDialog() override;

  // Inserts the subdirectories of the directory at `path` under hParent, and
  // theirs below them, depth first. `depth` is the depth of `path` below the
  // root; directories kMaxTreeDepth deep get no children.
  NTSTATUS EnumDirectoryTree(CString& path, HTREEITEM hParent, int depth = 0);
  // Empties the list and fills it with the objects of the directory at `path`.
  NTSTATUS ListDirectoryObjects(CString& path);

  static constexpr int kMaxTreeDepth = 32;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnSize(UINT nType, int cx, int cy);
  void OnTvnSelchangedTree(NMHDR* pNMHDR, LRESULT* pResult);
  void OnShowWindow(BOOL bShow, UINT nStatus);
  void OnNMDblclkList(NMHDR* pNMHDR, LRESULT* pResult);
  DECLARE_MESSAGE_MAP()

 public:
  CTreeCtrl m_tree;
  CListCtrl m_list;
  CImageList m_imageList;
  UniqueNativeBuffer m_pObjectTypes;  // the object-type table while "ObjectTypes" is selected
  UINT32 m_bFirstShow = 1;

 private:
  void ShowStatisticsColumns();
  void ShowNormalColumns();
  CString SelectedPath() const;
  void FillTypeRow(int row, const CString& typeName);
};
