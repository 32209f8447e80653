// A console child for tests, built as a 64-bit and a 32-bit program.
//
//   --ready <event>  set this existing named event once everything below is set up
//   --event <name>   create a named event and hold it
//   --debug <text>   send the text to the debug-output channel (repeatable)
//   --debug-count <n>   send n texts to the debug-output channel: "0", "1", ... "n-1"
//   --threads <n>    start n extra threads that only sleep
//   --map <path>     map a read-only view of at most the first 64 KiB of an existing
//                    file, right after the view of the previous --map
//   --views <n>      map a read-only view each of n small files %TEMP%\halvern_views\<i>.bin
//                    (made with 4 KiB of bytes when missing), anywhere
//   --events <n>     create n unnamed events and hold them
//   --protected-mutex <name>  create a named mutex and hold it, protected from closing
//   --file <path>    open an existing file for reading and hold it
//   --process <pid>  open process pid for query and hold the handle
//   --thread <tid>   open thread tid for query and hold the handle
//   --wait           stay until stdin (a pipe) closes, or until killed
//
// Parsing stops at the first word that is not an option; the rest of the
// command line is ignored, so a test can give the child any text it likes.
#include <windows.h>

#include <cwchar>
#include <cstdlib>

namespace {

struct Options {
  const wchar_t* readyEvent = nullptr;
  bool wait = false;
};

DWORD WINAPI SleepForever(LPVOID) {
  Sleep(INFINITE);
  return 0;
}

// Each view goes right after the previous one; the first into a free 1 MiB.
void MapFileView(const wchar_t* path) {
  static BYTE* next = nullptr;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER size{};
  GetFileSizeEx(file, &size);
  HANDLE section = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  CloseHandle(file);
  if (!section) return;
  if (!next) {
    next = static_cast<BYTE*>(VirtualAlloc(nullptr, 0x100000, MEM_RESERVE, PAGE_NOACCESS));
    if (next) VirtualFree(next, 0, MEM_RELEASE);
  }
  const SIZE_T bytes = size.QuadPart < 0x10000 ? 0 : 0x10000;  // 0: the whole (small) file
  void* view = MapViewOfFileEx(section, FILE_MAP_READ, 0, 0, bytes, next);
  CloseHandle(section);  // the view holds the section
  if (view) next = static_cast<BYTE*>(view) + 0x10000;
}

// Distinct files, so that no two views are of the same file; real bytes,
// since a sparse file has no allocation.
void MapSmallFile(long index) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH - 32, path);
  if (length == 0 || length >= MAX_PATH - 32) return;
  wcscat(path, L"halvern_views");
  CreateDirectoryW(path, nullptr);
  _snwprintf(path + wcslen(path), 24, L"\\%ld.bin", index);
  HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  if (GetFileSize(file, nullptr) == 0) {
    BYTE bytes[4096];
    for (size_t i = 0; i < sizeof(bytes); ++i) bytes[i] = static_cast<BYTE>(i + index);
    DWORD written = 0;
    WriteFile(file, bytes, sizeof(bytes), &written, nullptr);
  }
  HANDLE section = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  CloseHandle(file);
  if (!section) return;
  MapViewOfFile(section, FILE_MAP_READ, 0, 0, 0);
  CloseHandle(section);  // the view holds the section
}

bool ApplyOption(int argc, wchar_t** argv, int* index, Options* options) {
  const wchar_t* option = argv[*index];
  if (std::wcscmp(option, L"--wait") == 0) {
    options->wait = true;
    return true;
  }
  if (*index + 1 >= argc) return false;
  const wchar_t* value = argv[++*index];
  if (std::wcscmp(option, L"--ready") == 0) {
    options->readyEvent = value;
  } else if (std::wcscmp(option, L"--event") == 0) {
    CreateEventW(nullptr, TRUE, FALSE, value);  // held until the process ends
  } else if (std::wcscmp(option, L"--debug") == 0) {
    OutputDebugStringW(value);
  } else if (std::wcscmp(option, L"--map") == 0) {
    MapFileView(value);
  } else if (std::wcscmp(option, L"--views") == 0) {
    for (long i = 0, n = std::wcstol(value, nullptr, 10); i < n; ++i) MapSmallFile(i);
  } else if (std::wcscmp(option, L"--events") == 0) {
    for (long i = std::wcstol(value, nullptr, 10); i > 0; --i) CreateEventW(nullptr, TRUE, FALSE, nullptr);
  } else if (std::wcscmp(option, L"--debug-count") == 0) {
    for (long i = 0, n = std::wcstol(value, nullptr, 10); i < n; ++i) {
      char text[16];
      _ltoa(i, text, 10);
      OutputDebugStringA(text);
    }
  } else if (std::wcscmp(option, L"--threads") == 0) {
    for (long i = std::wcstol(value, nullptr, 10); i > 0; --i) {
      HANDLE thread = CreateThread(nullptr, 0, SleepForever, nullptr, 0, nullptr);
      if (thread) CloseHandle(thread);
    }
  } else if (std::wcscmp(option, L"--protected-mutex") == 0) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, value);
    if (mutex) SetHandleInformation(mutex, HANDLE_FLAG_PROTECT_FROM_CLOSE, HANDLE_FLAG_PROTECT_FROM_CLOSE);
  } else if (std::wcscmp(option, L"--file") == 0) {
    CreateFileW(value, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                nullptr);
  } else if (std::wcscmp(option, L"--process") == 0) {
    OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, std::wcstoul(value, nullptr, 10));
  } else if (std::wcscmp(option, L"--thread") == 0) {
    OpenThread(THREAD_QUERY_INFORMATION, FALSE, std::wcstoul(value, nullptr, 10));
  } else {
    --*index;
    return false;
  }
  return true;
}

// Returns when the writing end of stdin (a pipe) is gone: the parent stopped
// the child or ended. Without a pipe the child stays until it is killed.
void WaitForParent() {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (!input || input == INVALID_HANDLE_VALUE || GetFileType(input) != FILE_TYPE_PIPE) Sleep(INFINITE);
  char byte;
  DWORD read = 0;
  while (ReadFile(input, &byte, 1, &read, nullptr) && read != 0) {
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    if (!ApplyOption(argc, argv, &i, &options)) break;
  }
  if (options.readyEvent) {
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, options.readyEvent);
    if (!ready) return 2;
    SetEvent(ready);
    CloseHandle(ready);
  }
  if (options.wait) WaitForParent();
  return 0;
}
