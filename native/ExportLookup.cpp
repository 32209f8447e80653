// Export lookup by a binary search of a module's export-name table. Whatever
// the search does not settle goes to GetProcAddress, so the answer is always
// the one GetProcAddress gives.
#include "native/ExportLookup.h"

#include <cstring>

namespace {

using PFN_RtlImageDirectoryEntryToData = PVOID(NTAPI*)(PVOID, BOOLEAN, USHORT, PULONG);

// Set by the first successful resolution and kept for the life of the process.
PFN_RtlImageDirectoryEntryToData g_directoryRoutine = nullptr;

// IMAGE_EXPORT_DIRECTORY fields, by byte offset.
constexpr ULONGLONG kNumberOfNames = 0x18;
constexpr ULONGLONG kAddressOfFunctions = 0x1C;
constexpr ULONGLONG kAddressOfNames = 0x20;
constexpr ULONGLONG kAddressOfNameOrdinals = 0x24;

// The export directory as the system reported it: every read is a
// module-relative address that must lie inside the directory's bytes.
class ExportDirectory {
 public:
  ExportDirectory(HMODULE module, const void* directory, ULONG size)
      : m_base(reinterpret_cast<const BYTE*>(module)), m_size(size) {
    const auto base = reinterpret_cast<ULONG_PTR>(module);
    const auto start = reinterpret_cast<ULONG_PTR>(directory);
    m_rva = start - base;
    if (start < base) m_size = 0;  // nothing a record could point at is readable
  }

  bool Field(ULONGLONG offset, ULONG* value) const { return Read(m_rva + offset, value); }

  template <typename T>
  bool Read(ULONGLONG rva, T* value) const {
    if (!Holds(rva, sizeof(T))) return false;
    std::memcpy(value, m_base + rva, sizeof(T));
    return true;
  }

  // Compares the export name at rva with wanted, bytes taken as unsigned, up
  // to the first difference or the shared terminating zero. False when the
  // name runs out of the directory's bytes.
  bool CompareName(ULONG rva, const char* wanted, int* order) const {
    for (ULONGLONG i = 0;; ++i) {
      if (!Holds(rva + i, 1)) return false;
      const BYTE have = m_base[rva + i];
      const BYTE want = static_cast<BYTE>(wanted[i]);
      if (have != want || have == 0) {
        *order = static_cast<int>(have) - static_cast<int>(want);
        return true;
      }
    }
  }

  bool Holds(ULONGLONG rva, ULONGLONG length) const {
    return rva >= m_rva && length <= m_size && rva - m_rva <= m_size - length;
  }

  const BYTE* Base() const { return m_base; }

 private:
  const BYTE* m_base;
  ULONGLONG m_rva = 0;
  ULONGLONG m_size;
};

PFN_RtlImageDirectoryEntryToData DirectoryRoutine() {
  if (!g_directoryRoutine) {
    // Always ntdll's, whatever module is being searched.
    FARPROC found = GetProcAddress(GetModuleHandleW(L"ntdll"), "RtlImageDirectoryEntryToData");
    g_directoryRoutine = ProcAddressAs<PFN_RtlImageDirectoryEntryToData>(found);
  }
  return g_directoryRoutine;
}

// Binary search of the sorted name table; the index of the exact match.
bool FindNameIndex(const ExportDirectory& exports, ULONG namesRva, ULONG count, const char* name, LONG* found) {
  LONG lo = 0;
  LONG hi = static_cast<LONG>(count - 1);
  if (hi < 0) return false;
  for (;;) {
    const LONG mid = lo + (hi - lo) / 2;
    ULONG nameRva = 0;
    int order = 0;
    if (!exports.Read(namesRva + 4ULL * mid, &nameRva) || !exports.CompareName(nameRva, name, &order)) return false;
    if (order == 0) {
      *found = mid;
      return true;
    }
    if (lo == hi) return false;
    if (order > 0) {
      hi = mid - 1;
    } else {
      lo = mid + 1;
    }
    if (lo > hi) return false;
  }
}

// The address of the name at index; null for a forwarder, whose address is
// its target's text inside the directory, and for an empty function slot.
FARPROC ResolveNameIndex(const ExportDirectory& exports, LONG index) {
  ULONG ordinalsRva = 0;
  ULONG functionsRva = 0;
  USHORT ordinal = 0;
  ULONG functionRva = 0;
  if (!exports.Field(kAddressOfNameOrdinals, &ordinalsRva) || !exports.Read(ordinalsRva + 2ULL * index, &ordinal) ||
      !exports.Field(kAddressOfFunctions, &functionsRva) ||
      !exports.Read(functionsRva + 4ULL * ordinal, &functionRva) || functionRva == 0 || exports.Holds(functionRva, 1)) {
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(reinterpret_cast<ULONG_PTR>(exports.Base() + functionRva));
}

}  // namespace

namespace detail {

FARPROC SearchExportTable(HMODULE module, const char* name) {
  PFN_RtlImageDirectoryEntryToData directoryRoutine = DirectoryRoutine();
  if (!directoryRoutine) return nullptr;
  ULONG size = 0;
  const void* directory = directoryRoutine(module, TRUE, IMAGE_DIRECTORY_ENTRY_EXPORT, &size);
  if (!directory) return nullptr;
  ExportDirectory exports(module, directory, size);
  ULONG namesRva = 0;
  ULONG count = 0;
  if (!exports.Field(kAddressOfNames, &namesRva) || namesRva == 0) return nullptr;
  if (!exports.Field(kNumberOfNames, &count)) return nullptr;
  LONG index = 0;
  if (!FindNameIndex(exports, namesRva, count, name, &index)) return nullptr;
  return ResolveNameIndex(exports, index);
}

}  // namespace detail

FARPROC GetNtProcAddress(HMODULE module, const char* name) {
  if (FARPROC found = detail::SearchExportTable(module, name)) return found;
  return GetProcAddress(module, name);
}
