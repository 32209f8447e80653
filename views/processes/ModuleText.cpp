#include "views/processes/ModuleText.h"

#include <cwchar>

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
  texts.path = CString(record.Name, static_cast<int>(wcsnlen(record.Name, ARRAYSIZE(record.Name))));
  DevicePathToDrivePath(texts.path);
  texts.name = FileNameOfPath(texts.path);
  return texts;
}
