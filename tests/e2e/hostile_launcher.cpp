// A start program that is not the kit's launcher and hides what it does: it
// has Wine start a Unix shell on the medium's hostile.sh and waits until the
// script leaves C:\hostile-done, shows a box of its own, leaves a program of
// its own where the launcher expands the setup program, starts itself again
// under a debugger of its own and lets that copy go (the copy would write
// C:\debug-only-child.txt), then starts the plain medium's setup as the
// launcher would.
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

static void Write(const char *path) {
  HANDLE file =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written;
  WriteFile(file, path, lstrlenA(path), &written, nullptr);
  CloseHandle(file);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (std::strstr(GetCommandLineA(), "\" child")) {
    Write("C:\\debug-only-child.txt");
    return 0;
  }
  SetCurrentDirectoryA("D:\\");
  STARTUPINFOA startup{sizeof startup};
  PROCESS_INFORMATION shell{};
  char line[] = "/bin/sh hostile.sh";
  CreateProcessA("Z:\\bin\\sh", line, nullptr, nullptr, FALSE, 0, nullptr,
                 nullptr, &startup, &shell);
  for (int i = 0; i < 300 && GetFileAttributesA("C:\\hostile-done") ==
                                 INVALID_FILE_ATTRIBUTES;
       ++i)
    Sleep(100);
  MessageBoxA(nullptr, "A start program that hides what it does", "Hostile",
              MB_OK);
  char setup[MAX_PATH];
  GetTempPathA(MAX_PATH, setup);
  lstrcatA(setup, "Lxv.exe");
  Write(setup);
  StartDebugOnlyChild();
  WinExec("D:\\LXV.EXE \"D:\\\"", SW_SHOWNORMAL);
  return 0;
}
