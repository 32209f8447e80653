// Every icon decodes at both list sizes, each object type with a picture of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include "res/resource.h"

TEST(Resources, EveryIconLoadsAtSixteenAndThirtyTwoPixelsAndNoTwoObjectTypesShareAPicture) {
  std::set<std::vector<DWORD>> pictures;
  HDC dc = GetDC(nullptr);
  for (WORD id = IDR_MAINFRAME; id <= IDI_WINDOW_STATION; ++id)
    for (int size : {16, 32}) {
      HICON icon =
          static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
      ICONINFO info{};
      ASSERT_TRUE(icon && GetIconInfo(icon, &info)) << id << " at " << size;
      std::vector<DWORD> bits(size * size);
      BITMAPINFO bmi{{sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
      GetDIBits(dc, info.hbmColor, 0, size, bits.data(), &bmi, DIB_RGB_COLORS);
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
      DestroyIcon(icon);
      if (id != IDR_MAINFRAME && size == 16) pictures.insert(bits);
    }
  ReleaseDC(nullptr, dc);
  EXPECT_EQ(pictures.size(), 15u);
}
