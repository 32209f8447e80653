// A console child for tests, built as a 64-bit and a 32-bit program.
//
//   --ready <event>  set this existing named event once everything below is set up
//   --event <name>   create a named event and hold it
//   --debug <text>   send the text to the debug-output channel (repeatable)
//   --debug-count <n>   send n texts to the debug-output channel: "0", "1", ... "n-1"
//   --debug-length <n>  send one text of n characters ("abc...zabc...") to the debug-output channel
//   --threads <n>    start n extra threads that only sleep
//   --wait           stay until killed, or until stdin (a pipe) or the parent ends
//
// Parsing stops at the first word that is not an option; the rest of the
// command line is ignored, so a test can give the child any text it likes.
#include <windows.h>
#include <tlhelp32.h>

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
  } else if (std::wcscmp(option, L"--debug-count") == 0) {
    for (long i = 0, n = std::wcstol(value, nullptr, 10); i < n; ++i) {
      char text[16];
      _ltoa(i, text, 10);
      OutputDebugStringA(text);
    }
  } else if (std::wcscmp(option, L"--debug-length") == 0) {
    const long length = std::wcstol(value, nullptr, 10);
    char* text = static_cast<char*>(std::malloc(static_cast<size_t>(length > 0 ? length : 0) + 1));
    if (text) {
      for (long i = 0; i < length; ++i) text[i] = static_cast<char>('a' + i % 26);
      text[length > 0 ? length : 0] = '\0';
      OutputDebugStringA(text);
      std::free(text);
    }
  } else if (std::wcscmp(option, L"--threads") == 0) {
    for (long i = std::wcstol(value, nullptr, 10); i > 0; --i) {
      HANDLE thread = CreateThread(nullptr, 0, SleepForever, nullptr, 0, nullptr);
      if (thread) CloseHandle(thread);
    }
  } else {
    --*index;
    return false;
  }
  return true;
}

DWORD ParentProcessId() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  DWORD parent = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
  }
  CloseHandle(snapshot);
  return parent;
}

void WaitForParent() {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input && input != INVALID_HANDLE_VALUE && GetFileType(input) == FILE_TYPE_PIPE) {
    char byte;
    DWORD read = 0;
    while (ReadFile(input, &byte, 1, &read, nullptr) && read != 0) {
    }
    return;  // the writing end is gone
  }
  HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, ParentProcessId());
  if (!parent) {
    Sleep(INFINITE);
    return;
  }
  WaitForSingleObject(parent, INFINITE);
  CloseHandle(parent);
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
