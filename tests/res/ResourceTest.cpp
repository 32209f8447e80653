// The program's resources read back from this executable: dialog templates byte by byte, string, icons, version and
// manifest (with its effect on the common controls).
#include <windows.h>
#include <commctrl.h>

#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "res/resource.h"

namespace {

constexpr LANGID kChinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

std::pair<const BYTE*, DWORD> ResourceBytes(LPCWSTR type, WORD id, LANGID language) {
  HRSRC found = FindResourceExW(nullptr, type, MAKEINTRESOURCEW(id), language);
  if (found == nullptr) return {nullptr, 0};
  return {static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found))), SizeofResource(nullptr, found)};
}

// Bounded little-endian reading: past the end a read yields 0 and ok turns false.
struct ByteReader {
  std::pair<const BYTE*, DWORD> bytes;
  size_t offset = 0;
  bool ok = true;
  uint32_t Take(size_t n) {  // the value of the last four bytes taken
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i, ++offset) {
      ok = ok && bytes.first != nullptr && offset < bytes.second;
      if (ok) v |= static_cast<uint32_t>(bytes.first[offset]) << (8 * (i % 4));
    }
    return v;
  }
  uint16_t U16() { return static_cast<uint16_t>(Take(2)); }
  short I16() { return static_cast<short>(Take(2)); }
  void Skip(size_t n) { Take(n); }
  // A NUL-terminated UTF-16 text, or 0xFFFF and an ordinal, shown as "#<ordinal>".
  std::wstring Text() {
    std::wstring text;
    for (uint16_t c = U16(); ok && c != 0; c = U16()) {
      if (c == 0xFFFF && text.empty()) return L"#" + std::to_wstring(U16());
      text.push_back(static_cast<wchar_t>(c));
    }
    return text;
  }
};

// In the order of the resource script's CONTROL statement.
struct Control {
  std::wstring text;
  DWORD id;
  std::wstring cls;  // upper case: windres stores names so, and window classes ignore case
  DWORD style;
  short x, y, cx, cy;
  auto Fields() const { return std::make_tuple(text, id, cls, style, x, y, cx, cy); }
};

struct Dialog {
  WORD resourceId;
  LANGID language;
  DWORD style, exStyle;
  short cx, cy;
  std::wstring caption, face;
  WORD points, weight;
  std::vector<Control> controls;
  auto Header() const { return std::make_tuple(style, exStyle, cx, cy, caption, face, points, weight); }
};

std::wstring ClassName(std::wstring cls) {
  if (cls == L"#128") return L"BUTTON";
  if (cls == L"#129") return L"EDIT";
  if (cls == L"#130") return L"STATIC";
  ::CharUpperBuffW(&cls[0], static_cast<DWORD>(cls.size()));
  return cls;
}

// Reads a DLGTEMPLATEEX; false when the bytes are not one or end early.
bool ParseDialogEx(ByteReader r, Dialog* out) {
  if (r.U16() != 1 || r.U16() != 0xFFFF) return false;
  r.Skip(4);  // help id
  out->exStyle = r.Take(4);
  out->style = r.Take(4);
  const uint16_t count = r.U16();
  if (r.I16() != 0 || r.I16() != 0) return false;  // x, y
  out->cx = r.I16();
  out->cy = r.I16();
  if (!r.Text().empty() || !r.Text().empty()) return false;  // menu, class
  out->caption = r.Text();
  if (out->style & DS_SETFONT) {
    out->points = r.U16();
    out->weight = r.U16();
    if (r.Take(1) != 0 || r.Take(1) != DEFAULT_CHARSET) return false;  // italic, charset
    out->face = r.Text();
  }
  for (uint16_t i = 0; i < count && r.ok; ++i) {
    r.Skip((4 - r.offset % 4) % 4);    // each control starts on a DWORD
    r.Skip(4);                         // help id
    if (r.Take(4) != 0) return false;  // no control has an extended style
    const DWORD style = r.Take(4);
    const short x = r.I16(), y = r.I16(), cx = r.I16(), cy = r.I16();
    const DWORD id = r.Take(4);
    const std::wstring cls = ClassName(r.Text());
    out->controls.push_back({r.Text(), id, cls, style, x, y, cx, cy});
    r.Skip(r.U16());  // creation data
  }
  return r.ok;
}

constexpr DWORD kNoId = 0xFFFFFFFF;
const wchar_t kShell[] = L"MS Shell Dlg";
const wchar_t kList[] = L"SYSLISTVIEW32";
const wchar_t kTab[] = L"SYSTABCONTROL32";

// The pages: English, no caption, 8 points of the shell font.
Dialog Page(WORD id, DWORD style, short cx, short cy, std::vector<Control> controls) {
  return {id, kEnglish, style, 0, cx, cy, L"", kShell, 8, 400, std::move(controls)};
}

// clang-format off
const Dialog kDialogs[] = {
    {IDD_ABOUTBOX, kChinese, 0x80c800c0, 0, 221, 62, L"关于 Halvern", L"Courier New", 9, 400,
     {{L"#128", kNoId, L"STATIC", 0x50000003, 14, 14, 20, 20},
      {L"Halvern for Windows\nXP/2003/Vista x64\nVersion 0.9(Public)", kNoId, L"STATIC", 0x5002008c, 42, 9, 114, 26},
      {L"OK", IDOK, L"BUTTON", 0x50030001, 164, 41, 50, 14}}},
    {IDD_HALVERN_DIALOG, kChinese, 0x90cb0848, 0x40008, 535, 360,
     L"Halvern  for Windows XP/2003/Vista x64 (Public Version)  ---Corvath", kShell, 9, 400,
     {{L"", IDC_TAB, kTab, 0x50000000, 1, 0, 534, 359}}},
    Page(IDD_PAGE0, 0x40000048, 561, 318, {{L"", IDC_LIST, kList, 0x50810809, 0, 0, 561, 318},
                                           {L"", IDC_TAB, kTab, 0x40000000, 7, 7, 547, 304}}),
    Page(IDD_PAGE1, 0x40000048, 566, 316, {{L"", IDC_LIST, kList, 0x50810801, 0, 0, 560, 316}}),
    Page(IDD_PAGE2, 0x40000048, 642, 327, {{L"OS", IDC_GROUP_OS, L"BUTTON", 0x50000007, 4, 7, 296, 307},
                                           {L"CPU", IDC_GROUP_CPU, L"BUTTON", 0x50000007, 317, 7, 296, 307},
                                           {L"", IDC_FRAME, L"BUTTON", 0x50000007, 0, 3, 637, 318},
                                           {L"", IDC_EDIT_CPU, L"EDIT", 0x50210844, 323, 22, 284, 291},
                                           {L"", IDC_EDIT_OS, L"EDIT", 0x502108C4, 6, 20, 291, 287}}),
    Page(IDD_TABPAGE0, 0x40800048, 360, 230, {{L"", IDC_LIST, kList, 0x50810801, 0, 1, 359, 229}}),
    Page(IDD_TABPAGE1, 0x40800048, 338, 225, {{L"", IDC_LIST, kList, 0x50810801, 0, 0, 337, 224}}),
    Page(IDD_TABPAGE2, 0x40800048, 250, 171, {{L"", IDC_LIST, kList, 0x50810801, 0, 0, 249, 170}}),
    Page(IDD_PAGE3, 0x40800048, 547, 368, {{L"", IDC_TREE, L"SYSTREEVIEW32", 0x50910027, 0, 0, 176, 367},
                                           {L"", IDC_LIST, kList, 0x50810811, 179, 0, 368, 367}}),
    Page(IDD_PAGE4, 0x40800048, 534, 373, {{L"", IDC_LIST, kList, 0x50810801, 7, 7, 520, 359}}),
};
// clang-format on

TEST(DialogTemplates, EachHoldsItsStylesSizeFontCaptionAndControlsInItsLanguage) {
  for (const Dialog& want : kDialogs) {
    SCOPED_TRACE(want.resourceId);
    Dialog got{};
    ASSERT_TRUE(ParseDialogEx(ByteReader{ResourceBytes(RT_DIALOG, want.resourceId, want.language)}, &got));
    EXPECT_EQ(got.Header(), want.Header());
    ASSERT_EQ(got.controls.size(), want.controls.size());
    for (size_t i = 0; i < want.controls.size(); ++i) {
      EXPECT_EQ(got.controls[i].Fields(), want.controls[i].Fields()) << "control " << i;
    }
  }
}

TEST(StringTable, AboutEntryIsChinese) {
  wchar_t text[64] = {};
  EXPECT_EQ(LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, text, 64), 17);
  EXPECT_STREQ(text, L"关于 Halvern(&A)...");
  EXPECT_NE(ResourceBytes(RT_STRING, IDS_ABOUTBOX / 16 + 1, kChinese).first, nullptr);
}

// The application icon: 8 to 256 pixels in 16 and 256 colours and 32 bits. The object-type icons: 16 and 32 pixels
// in 16 colours, each its own picture. Every image decodes as stored.
TEST(Icons, EachGroupHoldsItsSizesAndDepths) {
  std::set<std::vector<BYTE>> smallObjectIcons;
  for (WORD id = IDR_MAINFRAME; id <= IDI_WINDOW_STATION; ++id) {
    SCOPED_TRACE(id);
    const bool app = id == IDR_MAINFRAME;
    std::multiset<std::pair<int, int>> want, got;
    for (int size : app ? std::vector<int>{8, 16, 24, 32, 48, 64, 128, 256} : std::vector<int>{16, 32}) {
      for (int bits : app ? std::vector<int>{4, 8, 32} : std::vector<int>{4}) want.insert({size, bits});
    }
    ByteReader group{ResourceBytes(RT_GROUP_ICON, id, kChinese)};  // GRPICONDIR
    ASSERT_TRUE(group.U16() == 0 && group.U16() == 1);
    for (uint16_t i = 0, count = group.U16(); i < count; ++i) {
      const int width = static_cast<int>(group.Take(1)), n = width == 0 ? 256 : width;
      group.Skip(5);  // height, colours, reserved, planes
      const int bits = group.U16();
      group.Skip(4);  // bytes
      const auto [bytes, size] = ResourceBytes(RT_ICON, group.U16(), kChinese);
      ASSERT_TRUE(group.ok && bytes != nullptr);
      got.insert({n, bits});
      HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(bytes), size, TRUE, 0x00030000, n, n, 0);
      EXPECT_NE(icon, nullptr) << n << " px, " << bits << " bits";
      if (icon != nullptr) DestroyIcon(icon);
      if (!app && n == 16) smallObjectIcons.insert(std::vector<BYTE>(bytes, bytes + size));
    }
    EXPECT_EQ(got, want);
  }
  EXPECT_EQ(smallObjectIcons.size(), 15u);
}

TEST(VersionResource, NamesVersion0009InChinese) {
  wchar_t path[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
  std::vector<BYTE> data(GetFileVersionInfoSizeW(path, nullptr));
  ASSERT_TRUE(!data.empty() && GetFileVersionInfoW(path, 0, static_cast<DWORD>(data.size()), data.data()));
  UINT length = 0;
  const auto query = [&](const std::wstring& name) {
    void* value = nullptr;
    return VerQueryValueW(data.data(), name.c_str(), &value, &length) ? value : nullptr;
  };
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query(L"\\"));
  ASSERT_TRUE(fixed != nullptr && length >= sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(std::vector<DWORD>({fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                                fixed->dwProductVersionLS, fixed->dwFileType}),
            std::vector<DWORD>({0, 9, 0, 9, VFT_APP}));
  const auto* translation = static_cast<const WORD*>(query(L"\\VarFileInfo\\Translation"));
  ASSERT_TRUE(translation != nullptr && length == 4u);
  EXPECT_EQ(std::vector<WORD>(translation, translation + 2), std::vector<WORD>({kChinese, 1200}));
  const std::pair<const wchar_t*, const wchar_t*> strings[] = {{L"ProductName", L"Halvern"},
                                                               {L"FileDescription", L"Halvern"},
                                                               {L"CompanyName", L"Halvern"},
                                                               {L"FileVersion", L"0.0.0.9"},
                                                               {L"ProductVersion", L"Version 0.9 Public"}};
  for (const auto& [name, want] : strings) {
    const auto* text = static_cast<const wchar_t*>(query(std::wstring(L"\\StringFileInfo\\080404b0\\") + name));
    EXPECT_STREQ(text != nullptr ? text : L"<missing>", want) << name;
  }
}

TEST(Manifest, AsksForAdministratorAndBindsCommonControls6) {
  const auto [bytes, size] = ResourceBytes(RT_MANIFEST, 1, kEnglish);
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
