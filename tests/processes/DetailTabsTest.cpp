// The detail view's three tabs on a real child, and the bound on name queries
// that never return.
#include "tests/processes/ProcessPageFixture.h"
#include "views/processes/HandleText.h"

namespace {

// A child that maps a file, runs two more threads and holds an event, a
// protected mutex, a file, this process and this thread; its detail view open.
class DetailTabsTest : public ProcessPageFixture {
 protected:
  void SetUp() override {
    ProcessPageFixture::SetUp();
    CString args;
    args.Format(
        L"--map \"%s\" --threads 2 --event HalvernTabEvent --protected-mutex HalvernTabMutex --file \"%s\" "
        L"--process %u --thread %u --wait",
        m_view.path.c_str(), m_file.path.c_str(), GetCurrentProcessId(), GetCurrentThreadId());
    ASSERT_TRUE(m_child.Start(false, args.GetString()));
    Open(m_child.Pid());
  }
  TempFile m_view{L"halvern_tab_view.dat", 0x100000}, m_file{L"halvern-handles-tab.txt", 0};
  ChildProcess m_child;
};

// A name query on a handle with access 0x0012019F can hang: such files are not asked.
TEST(HandleTextTest, NamingRules) {
  EXPECT_EQ(ChooseHandleNamingRule(L"Thread(6)", 0x0012019F), HandleNamingRule::kThread);
  EXPECT_EQ(ChooseHandleNamingRule(L"File(17)", 0x0012019F), HandleNamingRule::kNamedPipe);
  EXPECT_EQ(ChooseHandleNamingRule(L"File(17)", 0x0012019B), HandleNamingRule::kObjectName);
}

TEST_F(DetailTabsTest, ModulesThreadsAndHandlesOfARealChild) {
  const int viewRow = RowEndingWith(0, 4, L"\\halvern_tab_view.dat");
  ASSERT_GE(viewRow, 0);
  EXPECT_EQ(List(0).GetItemText(viewRow, 1), CString(L"halvern_tab_view.dat"));
  EXPECT_EQ(List(0).GetItemText(viewRow, 3), CString(L"0x100000"));              // the file's size, not the view's
  EXPECT_EQ(_wcsicmp(List(0).GetItemText(viewRow, 4), m_view.path.c_str()), 0);  // a drive-letter path

  SelectDetailTab(1);
  std::set<DWORD> listed;
  for (int row = 0; row < List(1).GetItemCount(); ++row) {
    listed.insert(static_cast<DWORD>(_wtoi(List(1).GetItemText(row, 1))));
    EXPECT_NE(List(1).GetItemText(row, 6), CString(L"0x0000000000000000"));
  }
  EXPECT_EQ(listed, ThreadIdsOf(m_child.Pid()));
  EXPECT_EQ(listed.size(), 3u);

  SelectDetailTab(2);
  wchar_t image[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, image, MAX_PATH);
  CString process, thread;
  process.Format(L"%s(%u)", image, GetCurrentProcessId());
  thread.Format(L"%s : %u", process.GetString(), GetCurrentThreadId());
  const struct {
    CString name;
    const wchar_t* type;
    const wchar_t* attributes;
  } expected[] = {{L"\\HalvernTabEvent", L"Event(", L"--"},
                  {L"\\HalvernTabMutex", L"Mutant(", L"受保护"},
                  {L"\\halvern-handles-tab.txt", L"File(", L"--"},
                  {process, L"Process(", L"--"},
                  {thread, L"Thread(", L"--"}};
  for (const auto& e : expected) {
    const int row = RowEndingWith(2, 2, e.name);
    ASSERT_GE(row, 0) << e.type;
    EXPECT_EQ(List(2).GetItemText(row, 1).Left(static_cast<int>(wcslen(e.type))), CString(e.type));
    EXPECT_EQ(List(2).GetItemText(row, 6), CString(e.attributes));
  }
  EXPECT_EQ(List(2).GetItemText(RowEndingWith(2, 2, process), 2), process);
  EXPECT_GE(RowEndingWith(2, 6, L"可继承"), 0);  // the child's standard handles
}

// Name queries on disk files never return, as on some file handles of
// Windows. Buffers are counted rather than measured: Wine keeps the kernel
// stack of every thread ended from outside.
NativeApiTable g_real;
LONG g_buffersHeld = 0;

NTSTATUS NTAPI BlockingNameQuery(HANDLE handle, ULONG infoClass, PVOID buffer, ULONG size, PULONG returned) {
  if (infoClass == 1 && GetFileType(handle) == FILE_TYPE_DISK) Sleep(INFINITE);
  return g_real.NtQueryObject(handle, infoClass, buffer, size, returned);
}
NTSTATUS NTAPI CountingAllocate(HANDLE process, PVOID* base, ULONG_PTR bits, PSIZE_T size, ULONG type, ULONG prot) {
  const NTSTATUS status = g_real.NtAllocateVirtualMemory(process, base, bits, size, type, prot);
  if (NtSuccess(status)) InterlockedIncrement(&g_buffersHeld);
  return status;
}
NTSTATUS NTAPI CountingFree(HANDLE process, PVOID* base, PSIZE_T size, ULONG type) {
  const NTSTATUS status = g_real.NtFreeVirtualMemory(process, base, size, type);
  if (NtSuccess(status)) InterlockedDecrement(&g_buffersHeld);
  return status;
}

TEST_F(DetailTabsTest, ANameQueryThatNeverReturnsIsGivenUp) {
  g_real = g_NativeApi;
  ScopedSlotOverride query(g_NativeApi.NtQueryObject, &BlockingNameQuery);
  ScopedSlotOverride allocate(g_NativeApi.NtAllocateVirtualMemory, &CountingAllocate);
  ScopedSlotOverride release(g_NativeApi.NtFreeVirtualMemory, &CountingFree);
  Refill(2);
  Tab(2).ShowWindow(SW_HIDE);
  const DWORD handles = TakeLeakCounts().handles;
  const size_t threads = ThreadIdsOf(GetCurrentProcessId()).size();
  g_buffersHeld = 0;

  Refill(2);
  EXPECT_GE(RowEndingWith(2, 2, L"\\HalvernTabEvent"), 0);  // the page went on
  bool fileGivenUp = false;
  for (int row = 0; row < List(2).GetItemCount(); ++row)
    fileGivenUp |= List(2).GetItemText(row, 1).Left(5) == L"File(" && List(2).GetItemText(row, 2) == L"<NO NAME>";
  EXPECT_TRUE(fileGivenUp);
  Tab(2).ShowWindow(SW_HIDE);
  EXPECT_EQ(ThreadIdsOf(GetCurrentProcessId()).size(), threads);
  EXPECT_EQ(TakeLeakCounts().handles, handles);
  EXPECT_EQ(g_buffersHeld, 0);
}

}  // namespace
