// The program's string, icons, version resource and manifest, read back from this executable.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/res/ByteReader.h"

namespace {

constexpr LANGID kChinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

std::pair<const BYTE*, DWORD> ResourceBytes(LPCWSTR type, WORD id, LANGID language) {
  HRSRC found = FindResourceExW(nullptr, type, MAKEINTRESOURCEW(id), language);
  if (found == nullptr) return {nullptr, 0};
  return {static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found))), SizeofResource(nullptr, found)};
}

TEST(StringTable, AboutEntryTextIsChinese) {
  wchar_t text[64] = {};
  EXPECT_EQ(LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, text, 64), 17);
  EXPECT_STREQ(text, L"关于 Halvern(&A)...");
  EXPECT_NE(ResourceBytes(RT_STRING, IDS_ABOUTBOX / 16 + 1, kChinese).first, nullptr);
}

struct IconImage {
  int size;
  int bits;
  WORD id;
};

// The entries of an icon group (GRPICONDIR), read with bounds.
std::vector<IconImage> ReadIconGroup(WORD groupId) {
  auto [bytes, size] = ResourceBytes(RT_GROUP_ICON, groupId, kChinese);
  std::vector<IconImage> images;
  if (bytes == nullptr) return images;
  ByteReader r(bytes, size);
  if (r.U16() != 0 || r.U16() != 1) return images;
  for (uint16_t i = 0, count = r.U16(); i < count && r.Ok(); ++i) {
    const int width = r.U8();
    r.Skip(5);  // height, colours, reserved, planes
    const int bits = r.U16();
    r.Skip(4);  // size
    const WORD id = r.U16();
    if (r.Ok()) images.push_back({width == 0 ? 256 : width, bits, id});
  }
  return images;
}

struct IconOwner {
  HICON icon;
  ~IconOwner() {
    if (icon) DestroyIcon(icon);
  }
};

// The icon drawn over a colour no icon uses, as size x size pixels (0x00RRGGBB).
std::vector<uint32_t> Draw(HICON icon, int size) {
  constexpr uint32_t kBackground = 0x00010203;
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::vector<uint32_t> pixels;
  if (dib != nullptr) {
    HGDIOBJ old = SelectObject(dc, dib);
    auto* first = static_cast<uint32_t*>(bits);
    std::fill(first, first + size * size, kBackground);
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    pixels.assign(first, first + size * size);
    for (uint32_t& p : pixels) p = (p & 0xFFFFFF) == kBackground ? 0 : (p & 0xFFFFFF) | 0xFF000000;
    SelectObject(dc, old);
    DeleteObject(dib);
  }
  DeleteDC(dc);
  return pixels;
}

size_t CountDrawn(const std::vector<uint32_t>& pixels) {
  return std::count_if(pixels.begin(), pixels.end(), [](uint32_t p) { return p != 0; });
}

// Decodes one image of a group exactly as stored (no scaling) and draws it.
std::vector<uint32_t> DrawImage(const IconImage& image) {
  auto [bytes, size] = ResourceBytes(RT_ICON, image.id, kChinese);
  if (bytes == nullptr) return {};
  IconOwner icon{CreateIconFromResourceEx(const_cast<BYTE*>(bytes), size, TRUE, 0x00030000, image.size, image.size,
                                          LR_DEFAULTCOLOR)};
  return icon.icon ? Draw(icon.icon, image.size) : std::vector<uint32_t>();
}

TEST(Icons, ApplicationIconHoldsEverySizeIn16And256ColoursAnd32Bits) {
  const std::vector<IconImage> images = ReadIconGroup(IDR_MAINFRAME);
  EXPECT_EQ(images.size(), 24u);
  for (int size : {8, 16, 24, 32, 48, 64, 128, 256}) {
    for (int bits : {4, 8, 32}) {
      SCOPED_TRACE(std::to_string(size) + " px, " + std::to_string(bits) + " bits");
      auto it = std::find_if(images.begin(), images.end(),
                             [&](const IconImage& i) { return i.size == size && i.bits == bits; });
      ASSERT_NE(it, images.end());
      const std::vector<uint32_t> pixels = DrawImage(*it);
      ASSERT_EQ(pixels.size(), static_cast<size_t>(size * size));
      EXPECT_GT(CountDrawn(pixels), pixels.size() / 2);  // a picture, not a blank
    }
  }
}

TEST(Icons, ObjectTypeIconsHold32And16PixelImagesIn16ColoursAndDiffer) {
  std::vector<std::vector<uint32_t>> small;
  for (WORD id = IDI_DIRECTORY; id <= IDI_WINDOW_STATION; ++id) {
    SCOPED_TRACE(id);
    const std::vector<IconImage> images = ReadIconGroup(id);
    ASSERT_EQ(images.size(), 2u);
    for (const IconImage& image : images) {
      EXPECT_EQ(image.bits, 4);
      const std::vector<uint32_t> pixels = DrawImage(image);
      ASSERT_EQ(pixels.size(), static_cast<size_t>(image.size * image.size));
      if (id == IDI_PROFILE && image.size == 32) {
        EXPECT_EQ(CountDrawn(pixels), 0u);  // the profile picture exists only at 16 x 16
      } else {
        EXPECT_GT(CountDrawn(pixels), pixels.size() / 8);
      }
      if (image.size == 16) small.push_back(pixels);
    }
  }
  ASSERT_EQ(small.size(), 15u);
  for (size_t i = 0; i < small.size(); ++i) {
    for (size_t j = i + 1; j < small.size(); ++j) EXPECT_NE(small[i], small[j]) << i << " and " << j;
  }
}

// What the window code asks for: LoadImage and LoadIcon give the icons at the sizes requested.
TEST(Icons, LoadImageGivesEachSize) {
  const std::vector<std::pair<WORD, std::vector<int>>> requests = {
      {IDR_MAINFRAME, {8, 16, 24, 32, 48, 64, 128, 256}}, {IDI_DIRECTORY, {16, 32}}, {IDI_WINDOW_STATION, {16, 32}}};
  for (const auto& [id, sizes] : requests) {
    for (int size : sizes) {
      SCOPED_TRACE(std::to_string(id) + " at " + std::to_string(size));
      IconOwner icon{static_cast<HICON>(
          LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR))};
      ASSERT_NE(icon.icon, nullptr);
      ICONINFO info = {};
      ASSERT_TRUE(GetIconInfo(icon.icon, &info));
      BITMAP mask = {};
      GetObjectW(info.hbmMask, sizeof(mask), &mask);
      EXPECT_EQ(mask.bmWidth, size);
      DeleteObject(info.hbmMask);
      if (info.hbmColor) DeleteObject(info.hbmColor);
    }
  }
  for (WORD id = IDI_DIRECTORY; id <= IDI_WINDOW_STATION; ++id) {
    EXPECT_NE(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id)), nullptr) << id;  // shared, not destroyed
  }
}

std::wstring VersionString(const std::vector<BYTE>& data, const std::wstring& name) {
  void* value = nullptr;
  UINT length = 0;
  std::wstring path = L"\\StringFileInfo\\080404b0\\" + name;
  if (!VerQueryValueW(data.data(), path.c_str(), &value, &length) || value == nullptr) return L"<missing>";
  return static_cast<const wchar_t*>(value);
}

TEST(VersionResource, NamesVersion0009InChinese) {
  EXPECT_NE(ResourceBytes(RT_VERSION, 1, kChinese).first, nullptr);
  wchar_t path[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, data.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(std::vector<DWORD>(
                {fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS, fixed->dwProductVersionLS}),
            std::vector<DWORD>({0, 9, 0, 9}));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  WORD* translation = nullptr;
  ASSERT_TRUE(
      VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], kChinese);
  EXPECT_EQ(translation[1], 1200);

  const std::pair<const wchar_t*, const wchar_t*> strings[] = {{L"ProductName", L"Halvern"},
                                                               {L"FileDescription", L"Halvern"},
                                                               {L"CompanyName", L"Halvern"},
                                                               {L"FileVersion", L"0.0.0.9"},
                                                               {L"ProductVersion", L"Version 0.9 Public"}};
  for (const auto& [name, value] : strings) EXPECT_EQ(VersionString(data, name), value) << name;
}

TEST(Manifest, AsksForAdministratorAndBindsCommonControls6) {
  auto [bytes, size] = ResourceBytes(RT_MANIFEST, 1, kEnglish);
  ASSERT_NE(bytes, nullptr);
  const std::string text(reinterpret_cast<const char*>(bytes), size);
  for (const char* part :
       {"level=\"requireAdministrator\"", "uiAccess=\"false\"", "name=\"Microsoft.Windows.Common-Controls\"",
        "version=\"6.0.0.0\"", "processorArchitecture=\"amd64\"", "publicKeyToken=\"6595b64144ccf1df\"",
        "language=\"*\""}) {
    EXPECT_NE(text.find(part), std::string::npos) << part;
  }
  // The loader took the dependency: the common controls come from the side-by-side store.
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
  ASSERT_TRUE(InitCommonControlsEx(&icc));
  wchar_t path[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH), 0u);
  CharLowerW(path);
  EXPECT_NE(std::wstring(path).find(L"microsoft.windows.common-controls"), std::wstring::npos)
      << std::string(path, path + lstrlenW(path));
}

}  // namespace
