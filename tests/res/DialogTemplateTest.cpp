// The dialog templates in the program's resources: their bytes, and the dialogs the window manager builds
// from them.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/res/ByteReader.h"

namespace {

constexpr LANGID kChinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr DWORD kNoId = 0xFFFFFFFF;

struct Control {
  DWORD id;
  std::wstring cls;  // standard classes by name
  DWORD style;
  short x, y, cx, cy;
  std::wstring text;
};

struct Dialog {
  WORD resourceId;
  LANGID language;
  DWORD style, exStyle;
  short cx, cy;
  std::wstring caption, face;
  WORD points, weight;
  std::vector<Control> controls;
};

std::wstring StandardClassName(const std::wstring& cls) {
  if (cls == L"#128") return L"Button";
  if (cls == L"#129") return L"Edit";
  if (cls == L"#130") return L"Static";
  return cls;
}

// Reads a DLGTEMPLATEEX; false when the bytes are not one or end early.
bool ParseDialogEx(const BYTE* data, size_t size, Dialog* out) {
  ByteReader r(data, size);
  if (r.U16() != 1 || r.U16() != 0xFFFF) return false;
  r.Skip(4);  // help id
  out->exStyle = r.U32();
  out->style = r.U32();
  const uint16_t count = r.U16();
  const short x = r.I16(), y = r.I16();
  out->cx = r.I16();
  out->cy = r.I16();
  if (x != 0 || y != 0 || !r.TextOrOrdinal().empty() || !r.TextOrOrdinal().empty()) return false;  // menu, class
  out->caption = r.Text();
  if (out->style & DS_SETFONT) {
    out->points = r.U16();
    out->weight = r.U16();
    if (r.U8() != 0 || r.U8() != DEFAULT_CHARSET) return false;  // italic, charset
    out->face = r.Text();
  }
  for (uint16_t i = 0; i < count && r.Ok(); ++i) {
    Control c;
    r.AlignTo4();
    r.Skip(4);                       // help id
    if (r.U32() != 0) return false;  // no control has an extended style
    c.style = r.U32();
    c.x = r.I16();
    c.y = r.I16();
    c.cx = r.I16();
    c.cy = r.I16();
    c.id = r.U32();
    c.cls = StandardClassName(r.TextOrOrdinal());
    c.text = r.TextOrOrdinal();
    r.Skip(r.U16());  // creation data
    out->controls.push_back(c);
  }
  return r.Ok();
}

const wchar_t kShell[] = L"MS Shell Dlg";
const wchar_t kList[] = L"SysListView32";
const wchar_t kTab[] = L"SysTabControl32";

const std::vector<Dialog>& ExpectedDialogs() {
  // clang-format off
  static const std::vector<Dialog> dialogs = {
      {IDD_ABOUTBOX, kChinese, 0x80c800c0, 0, 221, 62, L"关于 Halvern", L"Courier New", 9, 400,
       {{kNoId, L"Static", 0x50000003, 14, 14, 20, 20, L"#128"},
        {kNoId, L"Static", 0x5002008c, 42, 9, 114, 26, L"Halvern for Windows\nXP/2003/Vista x64\nVersion 0.9(Public)"},
        {IDOK, L"Button", 0x50030001, 164, 41, 50, 14, L"OK"}}},
      {IDD_HALVERN_DIALOG, kChinese, 0x90cb0848, 0x40008, 535, 360,
       L"Halvern  for Windows XP/2003/Vista x64 (Public Version)  ---Corvath", kShell, 9, 400,
       {{IDC_TAB, kTab, 0x50000000, 1, 0, 534, 359, L""}}},
      {IDD_PAGE0, kEnglish, 0x40000048, 0, 561, 318, L"", kShell, 8, 400,
       {{IDC_LIST, kList, 0x50810809, 0, 0, 561, 318, L""}, {IDC_TAB, kTab, 0x40000000, 7, 7, 547, 304, L""}}},
      {IDD_PAGE1, kEnglish, 0x40000048, 0, 566, 316, L"", kShell, 8, 400,
       {{IDC_LIST, kList, 0x50810801, 0, 0, 560, 316, L""}}},
      {IDD_PAGE2, kEnglish, 0x40000048, 0, 642, 327, L"", kShell, 8, 400,
       {{IDC_GROUP_OS, L"Button", 0x50000007, 4, 7, 296, 307, L"OS"},
        {IDC_GROUP_CPU, L"Button", 0x50000007, 317, 7, 296, 307, L"CPU"},
        {IDC_FRAME, L"Button", 0x50000007, 0, 3, 637, 318, L""},
        {IDC_EDIT_CPU, L"Edit", 0x50210844, 323, 22, 284, 291, L""},
        {IDC_EDIT_OS, L"Edit", 0x502108C4, 6, 20, 291, 287, L""}}},
      {IDD_TABPAGE0, kEnglish, 0x40800048, 0, 360, 230, L"", kShell, 8, 400,
       {{IDC_LIST, kList, 0x50810801, 0, 1, 359, 229, L""}}},
      {IDD_TABPAGE1, kEnglish, 0x40800048, 0, 338, 225, L"", kShell, 8, 400,
       {{IDC_LIST, kList, 0x50810801, 0, 0, 337, 224, L""}}},
      {IDD_TABPAGE2, kEnglish, 0x40800048, 0, 250, 171, L"", kShell, 8, 400,
       {{IDC_LIST, kList, 0x50810801, 0, 0, 249, 170, L""}}},
      {IDD_PAGE3, kEnglish, 0x40800048, 0, 547, 368, L"", kShell, 8, 400,
       {{IDC_TREE, L"SysTreeView32", 0x50910027, 0, 0, 176, 367, L""},
        {IDC_LIST, kList, 0x50810811, 179, 0, 368, 367, L""}}},
      {IDD_PAGE4, kEnglish, 0x40800048, 0, 534, 373, L"", kShell, 8, 400,
       {{IDC_LIST, kList, 0x50810801, 7, 7, 520, 359, L""}}},
  };
  // clang-format on
  return dialogs;
}

bool SameClass(const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

TEST(DialogTemplates, EachTemplateHoldsItsStylesSizesFontAndControlsInItsLanguage) {
  for (const Dialog& want : ExpectedDialogs()) {
    SCOPED_TRACE(want.resourceId);
    HRSRC found = FindResourceExW(nullptr, RT_DIALOG, MAKEINTRESOURCEW(want.resourceId), want.language);
    ASSERT_NE(found, nullptr);
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    Dialog got{};
    ASSERT_TRUE(ParseDialogEx(bytes, SizeofResource(nullptr, found), &got));
    EXPECT_EQ(got.style, want.style);
    EXPECT_EQ(got.exStyle, want.exStyle);
    EXPECT_EQ(got.cx, want.cx);
    EXPECT_EQ(got.cy, want.cy);
    EXPECT_EQ(got.caption, want.caption);
    EXPECT_EQ(got.face, want.face);
    EXPECT_EQ(got.points, want.points);
    EXPECT_EQ(got.weight, want.weight);
    ASSERT_EQ(got.controls.size(), want.controls.size());
    for (size_t i = 0; i < want.controls.size(); ++i) {
      const Control& g = got.controls[i];
      const Control& w = want.controls[i];
      SCOPED_TRACE(i);
      EXPECT_EQ(g.id, w.id);
      EXPECT_TRUE(SameClass(g.cls, w.cls)) << std::string(g.cls.begin(), g.cls.end());
      EXPECT_EQ(g.style, w.style);
      EXPECT_EQ(std::vector<short>({g.x, g.y, g.cx, g.cy}), std::vector<short>({w.x, w.y, w.cx, w.cy}));
      EXPECT_EQ(g.text, w.text);
    }
  }
}

struct WindowCloser {
  void operator()(HWND hwnd) const { DestroyWindow(hwnd); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowCloser>;

INT_PTR CALLBACK NullDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The window manager builds every dialog from its template: each control exists, in template order, with its class,
// id and style.
TEST(DialogTemplates, WindowManagerBuildsEachDialogWithItsControls) {
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
  ASSERT_TRUE(InitCommonControlsEx(&icc));
  UniqueWindow host(CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(host);
  for (const Dialog& want : ExpectedDialogs()) {
    SCOPED_TRACE(want.resourceId);
    HWND parent = (want.style & WS_CHILD) ? host.get() : nullptr;
    UniqueWindow dialog(
        CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(want.resourceId), parent, NullDialogProc, 0));
    ASSERT_TRUE(dialog);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(dialog.get(), GWL_EXSTYLE)) & want.exStyle, want.exStyle);
    EXPECT_EQ((GetWindowLongW(dialog.get(), GWL_STYLE) & WS_VISIBLE) != 0, (want.style & WS_VISIBLE) != 0);
    HWND child = GetWindow(dialog.get(), GW_CHILD);
    for (const Control& w : want.controls) {
      ASSERT_NE(child, nullptr);
      wchar_t cls[64] = {};
      GetClassNameW(child, cls, 64);
      EXPECT_TRUE(SameClass(cls, w.cls)) << w.id;
      EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(child, GWLP_ID)), w.id);
      // The controls adjust their window bits (clipping, scroll bars, border as client edge) themselves; their own
      // style bits and the visibility are the template's.
      const DWORD style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
      EXPECT_EQ(style & (WS_VISIBLE | 0xFFFF), w.style & (WS_VISIBLE | 0xFFFF)) << w.id;
      child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr);
  }
}

}  // namespace
