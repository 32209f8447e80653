// The cell texts of the modules tab, made from one mapped-image record.
#pragma once

#include <cstdint>

#include "framework/CString.h"

struct MappedImageRecord;

// The part of a path after its last backslash; the whole path when it has none.
CString FileNameOfPath(const CString& path);

// The five cells of row `row`: number, file name, base, size and the path
// with its device part turned into a drive letter.
struct ModuleRowTexts {
  CString number;
  CString name;
  CString base;
  CString size;
  CString path;
};
ModuleRowTexts MakeModuleRowTexts(int row, const MappedImageRecord& record);
