#include "windows/foreground.h"

#include <windows.h>

namespace services {

namespace {
struct Search {
  DWORD processId;
  HWND found;
};

// Top-level windows come in their order on the screen, the topmost first.
BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  search->found = window;
  return FALSE;
}
}  // namespace

BroughtForward BringWindowForward(unsigned long processId) {
  Search search = {processId, nullptr};
  if (processId)
    EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return BroughtForward::kNoWindow;
  // A program that the user has just started may set the foreground window,
  // also to another program's; past that, the system refuses (and flashes the
  // window's button instead). A window that has gone meanwhile (its box was
  // closed) was not refused: there is none.
  if (SetForegroundWindow(search.found)) return BroughtForward::kBrought;
  return IsWindowVisible(search.found) ? BroughtForward::kRefused
                                       : BroughtForward::kNoWindow;
}

}  // namespace services
