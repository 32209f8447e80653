// The images and mapped files in another process's address space, found by
// walking it region by region.
#pragma once

#include <windows.h>

// One mapping, in a NativeBuffer of its own.
struct MappedImageRecord {
  ULONGLONG Base;   // the allocation base of the whole image or view
  ULONG Size;       // SizeOfImage, else the low 32 bits of the file's allocation size, else 0
  WCHAR Name[300];  // the file name as the system reports it, NUL-terminated
};

// The result of a walk: the count, then the record pointers at the next
// 8-byte boundary, in ascending address order. One NativeBuffer that grows by
// whole pages as records come in.
struct MappedImageList {
  ULONG Count;
  ULONG Reserved;

  MappedImageRecord** Records() { return reinterpret_cast<MappedImageRecord**>(this + 1); }
};
static_assert(sizeof(MappedImageList) == 8, "the pointers follow the count at offset 8");

// Walks a 64-bit process from 0x10000 up to 0x7FFFFFEFFFF. Null for a null
// handle or when no list can be allocated. The caller frees every record and
// then the list with FreeNativeBuffer. The walk is not re-entrant: it shares
// one name buffer with the WOW64 walk.
MappedImageList* EnumProcessImages(HANDLE process);

// The same walk up to 0x7FFEFFFF, for a 32-bit process under WOW64; null
// unless IsWow64Process succeeds and says so.
MappedImageList* EnumWow64ProcessImages(HANDLE process);

// Opens the process for query and memory reading and walks it with the walk
// that fits its bitness; closes the handle before it returns. Null for id 0,
// a process that cannot be opened or a failed bitness check.
MappedImageList* EnumProcessImagesById(ULONG_PTR processId);

// SizeOfImage of the image whose headers are at `base` in the process, or 0
// when they cannot be read or are not an image's.
ULONG GetRemoteImageSize(HANDLE process, ULONGLONG base);

// The low 32 bits of the allocation size of the file at the NT path, or 0
// when it cannot be opened or queried.
ULONG GetFileAllocationSize(const WCHAR* path);
