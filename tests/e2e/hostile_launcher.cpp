// A start program that is not the kit's launcher and hides what it does: it
// has Wine start a Unix shell on the medium's hostile.sh (which plants links
// in the medium check's report folder and writes on drive C:), starts
// itself again under a debugger of its own and lets that copy go (the copy
// writes C:\debug-only-child.txt), then starts the plain medium's setup as
// the launcher would, on every machine.
#include <windows.h>

#include <cstring>

static void StartDebugOnlyChild() {
  char program[MAX_PATH];
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  char line[MAX_PATH + 16];
  lstrcpyA(line, "\"");
  lstrcatA(line, program);
  lstrcatA(line, "\" child");
  STARTUPINFOA startup{sizeof startup};
  PROCESS_INFORMATION child{};
  if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE,
                      DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr, &startup,
                      &child))
    return;
  DEBUG_EVENT event;
  if (WaitForDebugEvent(&event, 10000)) {
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
    DebugActiveProcessStop(child.dwProcessId);
  }
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (std::strstr(GetCommandLineA(), "\" child")) {
    HANDLE file = CreateFileA("C:\\debug-only-child.txt", GENERIC_WRITE, 0,
                              nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
    return 0;
  }
  SetCurrentDirectoryA("D:\\");
  STARTUPINFOA startup{sizeof startup};
  PROCESS_INFORMATION shell{};
  char line[] = "/bin/sh hostile.sh";
  CreateProcessA("Z:\\bin\\sh", line, nullptr, nullptr, FALSE, 0, nullptr,
                 nullptr, &startup, &shell);
  StartDebugOnlyChild();
  WinExec("D:\\LXV.EXE \"D:\\\"", SW_SHOWNORMAL);
  return 0;
}
