// Ids of the framework tests' own dialog templates and strings.
#pragma once

#define IDD_TEST_PAGE 2001   // hidden child page: two lists, tree, edit
#define IDD_TEST_MODAL 2002  // popup dialog with OK and Cancel
#define IDS_TEST_TEXT 2004
#define IDS_TEST_EMPTY 2005  // not in the string table

#define IDC_TEST_LIST 1001
#define IDC_TEST_EDIT 1007
#define IDC_TEST_TREE 1008
#define IDC_TEST_SORTED_LIST 1009
