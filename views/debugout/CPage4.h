#pragma once

#include "framework/Framework.h"
#include "views/debugout/ChannelOwners.h"

// The debug-output page: the consumer side of the system debug-output
// channel. A capture thread of its own lists every message from the start of
// the page until it is closed or destroyed.
class CPage4 : public CPropertyPage {
  DECLARE_DYNAMIC(CPage4)

 public:
  CPage4();
  ~CPage4() override;
  BOOL OnInitDialog() override;

  // Opens or creates the channel's objects and starts the capture thread;
  // FALSE, with nothing held, when any step fails.
  BOOL StartCapture();
  // Ends the capture thread after the message in hand, then releases every
  // handle and the view. Does nothing when nothing is held.
  void StopCapture();

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnSize(UINT nType, int cx, int cy);
  void OnClose();
  DECLARE_MESSAGE_MAP()

 private:
  static DWORD WINAPI CaptureThreadProc(LPVOID lpParameter);
  BOOL OpenChannel(SECURITY_ATTRIBUTES* sa);
  void ListMessage();

 public:
  CListCtrl m_list;
  ChannelHandle m_hDBWinMutex;
  ChannelHandle m_hDBWinBuffer;
  ChannelHandle m_hBufferReady;
  ChannelHandle m_hDataReady;
  ChannelHandle m_hThread;
  ChannelView m_pDBWinBuffer;
  LARGE_INTEGER m_liStart{};
  volatile LONG m_nLine = 0;
  LARGE_INTEGER m_liFreq{};

 private:
  // Tells the capture thread to end once the message in hand is listed.
  ChannelHandle m_hStopEvent;
  // The list window as the thread sees it; fixed before the thread starts.
  HWND m_hCaptureList = nullptr;
};
