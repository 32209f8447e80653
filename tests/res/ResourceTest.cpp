// The program's resources as the loader and the controls see them: every icon decodes at both list sizes with a
// picture of its own, and the manifest asks for administrator rights and binds the side-by-side common controls.
#include <windows.h>
#include <commctrl.h>

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "res/resource.h"

namespace {

TEST(Resources, EveryIconLoadsAtSixteenAndThirtyTwoPixelsAndNoTwoObjectTypesShareAPicture) {
  std::set<std::vector<DWORD>> pictures;
  for (WORD id = IDR_MAINFRAME; id <= IDI_WINDOW_STATION; ++id) {
    for (int size : {16, 32}) {
      HICON icon =
          static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
      ICONINFO info{};
      ASSERT_TRUE(icon && GetIconInfo(icon, &info)) << id << " at " << size;
      std::vector<DWORD> bits(size * size);
      BITMAPINFO bmi{};
      bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
      HDC dc = GetDC(nullptr);
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

TEST(Resources, ManifestAsksForAdministratorAndBindsTheSideBySideCommonControls) {
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
