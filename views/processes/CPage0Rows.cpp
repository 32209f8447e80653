// CPage0: filling one row of the process list from a snapshot record and from
// what the process itself lets us read.
#include "views/processes/CPage0.h"

#include <shellapi.h>

#include "native/NativeOwners.h"
#include "readers/DevicePaths.h"
#include "readers/ProcessOwner.h"
#include "readers/ProcessPebInfo.h"
#include "readers/ProcessRecord.h"
#include "views/processes/ProcessText.h"

namespace {

constexpr ACCESS_MASK kFullAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
constexpr ACCESS_MASK kLimitedAccess = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION

}  // namespace

void CPage0::InsertProcessRow(int row, const ProcessRecord& record) {
  const CString name = ProcessImageNameText(record);
  const ULONG_PTR pid = record.UniqueProcessId();
  m_list.InsertItem(row, name, row);
  m_list.SetItemText(row, 1, RowNumberText(row));
  m_list.SetItemText(row, 2, Int64Text(static_cast<int64_t>(pid)));
  m_list.SetItemData(row, pid);
  m_list.SetItemText(row, 3, Int64Text(static_cast<int64_t>(record.InheritedFromUniqueProcessId())));
  m_list.SetItemText(row, 4, name);

  UniqueNtHandle process(FillFromProcess(row, record));
  AddRowIcon(row);
  m_list.SetItemText(row, 6, DecimalText(static_cast<int>(record.SessionId())));

  BOOL wow = FALSE;
  const wchar_t* bitness = L"N/A";
  if (process && IsWow64Process(process.Get(), &wow)) bitness = wow ? L"32-bit" : L"64-bit";
  m_list.SetItemText(row, 7, bitness);

  m_list.SetItemText(row, 8, DecimalText(static_cast<int>(record.NumberOfThreads())));
  m_list.SetItemText(row, 9, DecimalText(static_cast<int>(record.HandleCount())));

  WCHAR user[260] = {};
  m_list.SetItemText(row, 10, GetProcessUserName(pid, user) ? user : L"N/A");
  m_list.SetItemText(row, 11, PriorityClassName(record.BasePriority()));
  m_list.SetItemText(row, 14, MemoryPairText(record.PagefileUsage(), record.PeakPagefileUsage()));
  m_list.SetItemText(row, 15, MemoryPairText(record.WorkingSetSize(), record.PeakWorkingSetSize()));
  m_list.SetItemText(row, 16, DecimalText(static_cast<int>(record.PageFaultCount())));
  m_list.SetItemText(row, 17, ProcessorTimesText(record.UserTime(), record.KernelTime()));
}

// Opens the process with query and read access, else with limited query
// access, and fills what that access can read. Returns the handle (the caller
// closes it) or null.
HANDLE CPage0::FillFromProcess(int row, const ProcessRecord& record) {
  const ULONG_PTR pid = record.UniqueProcessId();
  if (pid == 0) return nullptr;
  if (HANDLE process = OpenProcessById(pid, kFullAccess)) {
    FillFullAccess(row, process);
    return process;
  }
  HANDLE process = OpenProcessById(pid, kLimitedAccess);
  if (process) FillLimitedAccess(row, process, record);
  return process;
}

void CPage0::FillFullAccess(int row, HANDLE process) {
  ProcessBasics basics{};
  if (!ReadProcessBasics(process, &basics)) return;
  m_list.SetItemText(row, 13, PointerText(basics.pebAddress));

  UniqueNativeBuffer infoBuffer(ReadProcessPebInfo(process, basics.pebAddress));
  if (!infoBuffer) return;
  const auto* info = static_cast<const ProcessPebInfo*>(infoBuffer.Get());
  CString path(info->ImagePath);
  StripDosDevicesPrefix(path);
  m_list.SetItemText(row, 4, path);
  m_list.SetItemText(row, 5, PointerText(static_cast<ULONG_PTR>(info->ImageBase)));
  m_list.SetItemText(row, 12, info->CommandLine);
}

// Only the image file name and the environment block's address can be had.
// The image base column stays empty: the image record gives the entry
// address, not the base.
void CPage0::FillLimitedAccess(int row, HANDLE process, const ProcessRecord& record) {
  CString text;
  if (ReadProcessImageFileName(process, &text)) {
    if (text.IsEmpty()) text = ProcessImageNameText(record);
    DevicePathToDrivePath(text);
    m_list.SetItemText(row, 4, text);
  }

  ProcessBasics basics{};
  if (ReadProcessBasics(process, &basics)) m_list.SetItemText(row, 13, PointerText(basics.pebAddress));
}

// Row r gets icon r: the shell's icon for the path in column 4, or the stock
// application icon when the shell has none.
void CPage0::AddRowIcon(int row) {
  const CString path = m_list.GetItemText(row, 4);
  SHFILEINFOW info{};
  if (SHGetFileInfoW(path, 0, &info, sizeof(info), SHGFI_ICON) != 0) {
    m_imageList.Add(info.hIcon);
    DestroyIcon(info.hIcon);
  } else {
    m_imageList.Add(LoadIconW(nullptr, IDI_APPLICATION));
  }
}
