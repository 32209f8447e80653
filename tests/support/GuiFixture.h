// GUI test helpers: a visible top-level host window for pages and controls,
// and message pumping until a condition holds or a time-out passes.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

// Registers the common-control classes (list, tree, tab...) once per process.
void EnsureCommonControls();

// Pumps this thread's messages until cond() is true (checked before each
// wait) or timeoutMs has passed; returns the last value of cond().
bool PumpMessagesUntil(std::function<bool()> cond, DWORD timeoutMs);
// Pumps this thread's messages for ms milliseconds (0: only what is queued).
void PumpMessages(DWORD ms);

// A visible, plain top-level window whose client area hosts test pages.
class GuiHostWindow {
 public:
  explicit GuiHostWindow(int clientWidth = 900, int clientHeight = 600);
  ~GuiHostWindow();
  GuiHostWindow(const GuiHostWindow&) = delete;
  GuiHostWindow& operator=(const GuiHostWindow&) = delete;

  HWND Hwnd() const { return m_hWnd; }
  int ClientWidth() const;
  int ClientHeight() const;

 private:
  HWND m_hWnd = nullptr;
};

// A test fixture with a host window that lives for one test.
class GuiFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  HWND Host() const { return m_host->Hwnd(); }

  std::unique_ptr<GuiHostWindow> m_host;
};
