// The texts and image indices of the object browser, from the names and
// records the readers hand up.
#pragma once

#include "framework/CString.h"
#include "readers/ObjectTypeTable.h"

// Indices into the page's image list.
constexpr int kImageDirectory = 0;
constexpr int kImageDirectoryOpen = 1;
constexpr int kImageOtherType = 14;

// The image of an object of the type `typeName` (compared exactly,
// case-sensitively); kImageOtherType for every type not listed.
int ObjectTypeImage(const CString& typeName);

// The full path of the entry `name` of the directory at `path`: "\" + name
// under the root, path + "\" + name below it.
CString ChildDirectoryPath(const CString& path, const CString& name);

// Columns 2 to 6 of a "Type" row in the statistics layout.
struct ObjectTypeCells {
  CString objects;            // "%d/%d": current, high-water
  CString handles;            // "%d/%d": current, high-water
  CString invalidAttributes;  // "0x%X"
  CString securityRequired;   // "Yes" / "No"
  CString poolType;           // "Paged" for pool type 1, else "NPaged"
};
ObjectTypeCells FormatObjectType(const ObjectTypeRecord& record);
