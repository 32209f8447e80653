#include "views/processes/ModuleText.h"

#include "readers/DevicePaths.h"
#include "readers/MappedImages.h"
#include "views/processes/ProcessText.h"

CString FileNameOfPath(const CString& path) { return path.Mid(path.ReverseFind(L'\\') + 1); }

ModuleRowTexts MakeModuleRowTexts(int row, const MappedImageRecord& record) {
  ModuleRowTexts texts;
  texts.number = RowNumberText(row);
  texts.base = HexText(record.Base);
  texts.size = HexText(record.Size);
  // Name is NUL-terminated within its field; the bound guards a record that is not.
  int length = 0;
  while (length < static_cast<int>(ARRAYSIZE(record.Name)) && record.Name[length] != L'\0') ++length;
  texts.path = CString(record.Name, length);
  DevicePathToDrivePath(texts.path);
  texts.name = FileNameOfPath(texts.path);
  return texts;
}
