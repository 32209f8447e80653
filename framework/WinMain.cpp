// The program entry: runs the one application object's start-up and end.
// Kept alone in its file so programs with an entry of their own (tests) do
// not pull it in.
#include "framework/CWinApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  CWinApp* app = GetCurrentApp();
  if (app == nullptr) return 1;
  // A dialog application does all its work inside InitInstance and returns
  // FALSE; the library has no message pump to enter when it returns TRUE.
  app->InitInstance();
  return app->ExitInstance();
}
