#include "views/processes/HandleText.h"

#include <cwchar>

namespace {

constexpr uint32_t kNamedPipeAccess = 0x0012019F;  // FILE_GENERIC_READ | FILE_GENERIC_WRITE
constexpr uint32_t kProtectFromClose = 1;
constexpr uint32_t kInherit = 2;

bool BeginsWith(const CString& text, const wchar_t* prefix) {
  return std::wcsncmp(text.GetString(), prefix, std::wcslen(prefix)) == 0;
}

CString ImageText(const TargetImageName& image, const wchar_t* unreadable) {
  switch (image.state) {
    case TargetImageName::State::kText:
      return image.text;
    case TargetImageName::State::kEmpty:
      return L"<UNKNOW>";
    case TargetImageName::State::kNone:
      break;
  }
  return unreadable;
}

}  // namespace

const wchar_t kNamedPipeName[] = L"\\Device\\NamedPipe";

CString HandleTypeText(const CString* typeName, uint16_t typeIndex) {
  CString text;
  if (typeName) {
    text.Format(L"%s(%d)", typeName->GetString(), static_cast<int>(typeIndex));
  } else {
    text.Format(L"(%d)", static_cast<int>(typeIndex));
  }
  return text;
}

HandleNamingRule ChooseHandleNamingRule(const CString& typeText, uint32_t grantedAccess) {
  if (BeginsWith(typeText, L"Process")) return HandleNamingRule::kProcess;
  if (BeginsWith(typeText, L"Thread")) return HandleNamingRule::kThread;
  if (grantedAccess == kNamedPipeAccess) return HandleNamingRule::kNamedPipe;
  return HandleNamingRule::kObjectName;
}

bool NameQueryMayHang(const CString& typeText) { return BeginsWith(typeText, L"File") || BeginsWith(typeText, L"("); }

CString ProcessHandleNameText(const ProcessHandleTarget& target) {
  const CString image = ImageText(target.image, L"");
  if (!target.hasProcessId) return image;
  CString text;
  text.Format(L"%s(%d)", image.GetString(), static_cast<int>(target.processId));
  return text;
}

CString ThreadHandleNameText(const ThreadHandleTarget& target) {
  const CString image = target.processOpened ? ImageText(target.image, L"<UNKNOW>") : CString();
  CString text;
  text.Format(L"%s(%d) : %d", image.GetString(), static_cast<int>(target.processId), static_cast<int>(target.threadId));
  return text;
}

CString ObjectNameText(bool found, const CString& name) {
  return found && !name.IsEmpty() ? name : CString(L"<NO NAME>");
}

CString HandleAttributesText(uint32_t attributes) {
  if (attributes == kProtectFromClose) return L"受保护";
  if (attributes == kInherit) return L"可继承";
  return L"--";
}
