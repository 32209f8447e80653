#include "views/objects/ObjectText.h"

namespace {

struct TypeImage {
  const wchar_t* typeName;
  int image;
};

constexpr TypeImage kTypeImages[] = {
    {L"Directory", kImageDirectory},
    {L"Device", 2},
    {L"Driver", 3},
    {L"Event", 4},
    {L"Key", 5},
    {L"Mutant", 6},
    {L"Port", 7},
    {L"Profile", 8},
    {L"Section", 9},
    {L"Semaphore", 10},
    {L"SymbolicLink", 11},
    {L"Timer", 12},
    {L"WindowStation", 13},
};

}  // namespace

int ObjectTypeImage(const CString& typeName) {
  for (const TypeImage& entry : kTypeImages) {
    if (typeName == entry.typeName) return entry.image;
  }
  return kImageOtherType;
}

CString ChildDirectoryPath(const CString& path, const CString& name) {
  CString child = path;
  if (child.IsEmpty() || child.GetAt(child.GetLength() - 1) != L'\\') child += L'\\';
  child += name;
  return child;
}

ObjectTypeCells FormatObjectType(const ObjectTypeRecord& record) {
  ObjectTypeCells cells;
  cells.objects.Format(L"%d/%d", record.totalObjects, record.highWaterObjects);
  cells.handles.Format(L"%d/%d", record.totalHandles, record.highWaterHandles);
  cells.invalidAttributes.Format(L"0x%X", record.invalidAttributes);
  cells.securityRequired = record.securityRequired ? L"Yes" : L"No";
  cells.poolType = record.poolType == 1 ? L"Paged" : L"NPaged";
  return cells;
}
