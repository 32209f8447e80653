// The program's resources as the loader and the controls see them: the
// Chinese string survives the build, every icon decodes, and the manifest
// makes the loader bind the side-by-side common controls.
#include <windows.h>
#include <commctrl.h>

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "res/resource.h"

namespace {

TEST(Resources, ChineseStringAndEveryDialogTemplateLoad) {
  wchar_t text[64] = {};
  EXPECT_EQ(LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, text, 64), 17);
  EXPECT_STREQ(text, L"关于 Halvern(&A)...");
  for (WORD id : {IDD_ABOUTBOX, IDD_HALVERN_DIALOG, IDD_PAGE0, IDD_PAGE1, IDD_PAGE2, IDD_PAGE3, IDD_PAGE4,
                  IDD_TABPAGE0, IDD_TABPAGE1, IDD_TABPAGE2}) {
    EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_DIALOG), nullptr) << id;
  }
}

// The application icon and the fifteen object-type icons load at both list
// sizes, and no two object types share a picture.
TEST(Resources, EveryIconLoadsAtSixteenAndThirtyTwoPixels) {
  std::set<std::vector<DWORD>> pictures;
  for (WORD id = IDR_MAINFRAME; id <= IDI_WINDOW_STATION; ++id) {
    for (int size : {16, 32}) {
      HICON icon = static_cast<HICON>(
          LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
      ASSERT_NE(icon, nullptr) << id << " at " << size;
      ICONINFO info{};
      ASSERT_TRUE(GetIconInfo(icon, &info));
      std::vector<DWORD> bits(size * size);
      HDC dc = GetDC(nullptr);
      BITMAPINFO bmi{};
      bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
      GetDIBits(dc, info.hbmColor, 0, size, bits.data(), &bmi, DIB_RGB_COLORS);
      ReleaseDC(nullptr, dc);
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
      DestroyIcon(icon);
      if (id != IDR_MAINFRAME && size == 16) pictures.insert(bits);
    }
  }
  EXPECT_EQ(pictures.size(), 15u);
}

TEST(Resources, ManifestBindsTheSideBySideCommonControls) {
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
  ASSERT_TRUE(InitCommonControlsEx(&icc));
  wchar_t path[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH), 0u);
  CharLowerW(path);
  EXPECT_NE(std::wstring(path).find(L"microsoft.windows.common-controls"), std::wstring::npos);
  HRSRC manifest = FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_NE(manifest, nullptr);
  const std::string text(static_cast<const char*>(LockResource(LoadResource(nullptr, manifest))),
                         SizeofResource(nullptr, manifest));
  EXPECT_NE(text.find("level=\"requireAdministrator\""), std::string::npos);
}

}  // namespace
