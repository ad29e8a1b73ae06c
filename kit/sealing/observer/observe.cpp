// observe.exe COMMAND_LINE     (in a sealed machine, with its channel)
// observe.exe --warm-up        (brings up Wine's desktop and services)
//
// Runs COMMAND_LINE (a medium's start program) and reports to the sealed
// machine's recorder every Windows program that it starts, however it starts
// it: program, command line and working directory, read from the new
// process. The new process is then ended: the check learns what the start
// program started without running the publisher's setup on the checking
// machine. It reports every window with a caption too, with its whole text.
// The exit code is the start program's own.
//
// The observer is the start program's debugger, so each program started
// from it is held before its first instruction, reported and ended. A
// program started under a debugger of its own (DEBUG_ONLY_THIS_PROCESS,
// then let go) is not held by the observer; but every program started from
// the start program joins its job object (Wine refuses to let one break
// away), whose completion port reports each new process at once: that one
// is suspended, read and ended, before its own code runs in practice.
// Before a reported program is ended, the recorder looks at every process
// of the machine, so that it knows which Unix process that program was.
#include <windows.h>

#include <set>
#include <string>

#include "linux_channel.h"
#include "process_start.h"

namespace {

// A process as reported: its id and creation time, for an id may come
// again once no handle holds the process. While the observer holds one (the
// debugger's loop and the job's thread both do while they report), the id
// alone tells it.
std::string KeyText(DWORD id, HANDLE process) {
  FILETIME created{}, exited, kernel, user;
  GetProcessTimes(process, &created, &exited, &kernel, &user);
  return std::to_string(id) + ":" +
         std::to_string((ULONGLONG(created.dwHighDateTime) << 32) |
                        created.dwLowDateTime);
}

// What the recorder hears, from the debugger's loop, the job's thread and
// the windows' thread.
class Record {
 public:
  Record() { InitializeCriticalSection(&lock_); }

  // One report a process, whichever way saw it first; the recorder looks
  // at the machine before the caller ends it.
  void Started(DWORD id, HANDLE process, const Start &start) {
    EnterCriticalSection(&lock_);
    if (reported_.insert(id).second) {
      Send("program=" + Escaped(start.program) +
           "\ncommand_line=" + Escaped(start.command_line) + "\ndirectory=" +
           Escaped(start.directory) + "\nid=" + KeyText(id, process) + "\nend");
      LinuxChannel::AwaitLook();
    }
    LeaveCriticalSection(&lock_);
  }
  bool Has(DWORD id) {
    EnterCriticalSection(&lock_);
    bool has = reported_.count(id) != 0;
    LeaveCriticalSection(&lock_);
    return has;
  }
  // A line of its own; the start program's is answered by a look too.
  void Line(const std::string &line, bool look = false) {
    EnterCriticalSection(&lock_);
    Send(line);
    if (look) LinuxChannel::AwaitLook();
    LeaveCriticalSection(&lock_);
  }
  static std::string Escaped(const std::wstring &text) {
    std::string out;
    for (char c : Utf8(text)) {
      const char *escape = c == '\\'   ? "\\\\"
                           : c == '\n' ? "\\n"
                           : c == '\r' ? "\\r"
                           : c == '\t' ? "\\t"
                                       : nullptr;
      if (escape)
        out += escape;
      else
        out += c;
    }
    return out;
  }

 private:
  static void Send(const std::string &line) { LinuxChannel::Send(line + "\n"); }
  static std::string Utf8(const std::wstring &text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0,
                                   nullptr, nullptr);
    std::string out(size > 0 ? size : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr,
                        nullptr);
    out.resize(out.size() - 1);
    return out;
  }

  CRITICAL_SECTION lock_;
  std::set<DWORD> reported_;
};

// What the job's thread works with.
struct JobWatch {
  HANDLE port;
  DWORD start_id;
  Record *record;
  HANDLE quiet;          // set once every program of the job has ended
  std::set<DWORD> live;  // the job's running programs, the desktop aside
};

bool Running(HANDLE process) {
  DWORD code = 0;
  return GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
}

using ProcessCall = LONG(WINAPI *)(HANDLE);
ProcessCall NtCall(const char *name) {
  return reinterpret_cast<ProcessCall>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name));
}
const ProcessCall suspend = NtCall("NtSuspendProcess");
const ProcessCall resume = NtCall("NtResumeProcess");

// A new program of the job: suspended, reported and ended, unless this
// observer holds it as its debugger (then the debugger's loop does that).
// Its start can be read once it has set up its parameter block, which it
// does before any of its own code runs; a program that is still being
// created has no running thread, and Wine counts it as ended (signaled)
// meanwhile: only its exit code tells, and it is not ended before it has
// started. It is read suspended, so that nothing changes under the reading;
// while it runs, its loader rebuilds the block and sets the directory in it,
// so a start counts once two reads in a row agree, and it stays suspended.
void Catch(JobWatch &watch, DWORD id) {
  HANDLE process =
      OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ |
                      PROCESS_TERMINATE | PROCESS_SUSPEND_RESUME | SYNCHRONIZE,
                  FALSE, id);
  if (!process) return;
  Start start, read;
  bool known = false, was_read = false;
  for (DWORD since = GetTickCount();
       !watch.record->Has(id) && Running(process) &&
       GetTickCount() - since < 20000;
       Sleep(10)) {
    suspend(process);
    bool now_read = ReadStart(process, read);
    if ((known = now_read && was_read && read == start)) break;
    resume(process);
    was_read = now_read;
    start = read;
  }
  // One that ended before a second read is known by its one read.
  known = known || was_read;
  if (known && IsWineDesktop(start)) {
    resume(process);
    CloseHandle(process);
    return;
  }
  watch.live.insert(id);
  if (!watch.record->Has(id)) {
    if (!known) start = {L"?", L"?", L"?"};
    watch.record->Started(id, process, start);
    TerminateProcess(process, 0);
  }
  CloseHandle(process);
}

DWORD WINAPI WatchJob(void *context) {
  JobWatch &watch = *static_cast<JobWatch *>(context);
  for (;;) {
    DWORD message;
    ULONG_PTR key;
    OVERLAPPED *data;
    if (!GetQueuedCompletionStatus(watch.port, &message, &key, &data, INFINITE))
      return 0;
    DWORD id = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(data));
    if (message == JOB_OBJECT_MSG_NEW_PROCESS) {
      if (id == watch.start_id)
        watch.live.insert(id);
      else
        Catch(watch, id);
    } else if (message == JOB_OBJECT_MSG_EXIT_PROCESS ||
               message == JOB_OBJECT_MSG_ABNORMAL_EXIT_PROCESS) {
      // Only a running program starts another: once none runs, none comes.
      watch.live.erase(id);
      if (watch.live.empty()) SetEvent(watch.quiet);
    }
  }
}

// Every visible window with a caption, once, with the text of a dialog's
// message: read from the window manager's copy, so that a window whose
// program hangs cannot hold the observer.
struct WindowWatch {
  Record *record;
  std::set<HWND> seen, present;
};

std::wstring TextOf(HWND window) {
  std::wstring text(8192, L'\0');
  text.resize(InternalGetWindowText(window, &text[0], int(text.size())));
  return text;
}

BOOL CALLBACK NoteWindow(HWND window, LPARAM context) {
  WindowWatch &watch = *reinterpret_cast<WindowWatch *>(context);
  if (!IsWindowVisible(window)) return TRUE;
  std::wstring caption = TextOf(window);
  if (caption.empty()) return TRUE;
  watch.present.insert(window);
  if (watch.seen.insert(window).second) {
    HWND message = GetDlgItem(window, 0xFFFF);
    watch.record->Line("box=" + Record::Escaped(caption) + "\t" +
                       Record::Escaped(message ? TextOf(message) : L""));
  }
  return TRUE;
}

DWORD WINAPI WatchWindows(void *context) {
  WindowWatch &watch = *static_cast<WindowWatch *>(context);
  for (;; Sleep(50)) {
    watch.present.clear();
    EnumWindows(NoteWindow, reinterpret_cast<LPARAM>(&watch));
    watch.seen = watch.present;  // a handle may come again
  }
}

// The command line after the first N arguments, as the system split it.
const wchar_t *SkipArguments(const wchar_t *line, int count) {
  for (; count > 0; --count) {
    while (*line == L' ' || *line == L'\t') ++line;
    bool quoted = false;
    for (; *line && (quoted || (*line != L' ' && *line != L'\t')); ++line)
      if (*line == L'"') quoted = !quoted;
  }
  while (*line == L' ' || *line == L'\t') ++line;
  return line;
}

bool SetUpJob(HANDLE job, JobWatch &watch) {
  JOBOBJECT_ASSOCIATE_COMPLETION_PORT port{nullptr, watch.port};
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  // Whatever the observer leaves running ends with it.
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  return job && watch.port && watch.quiet &&
         SetInformationJobObject(job,
                                 JobObjectAssociateCompletionPortInformation,
                                 &port, sizeof port) &&
         SetInformationJobObject(job, JobObjectExtendedLimitInformation,
                                 &limits, sizeof limits);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::wstring command = SkipArguments(GetCommandLineW(), 1);
  if (command == L"--warm-up") return GetDesktopWindow() ? 0 : 105;
  // Before anything else can start a program that would inherit them.
  if (command.empty() || !LinuxChannel::Seal() || !suspend || !resume)
    return 100;
  Record record;
  WindowWatch windows{&record};
  if (!CreateThread(nullptr, 0, WatchWindows, &windows, 0, nullptr)) return 104;

  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  JobWatch watch{CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1), 0,
                 &record, CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  if (!SetUpJob(job, watch)) {
    record.Line("failed=job " + std::to_string(GetLastError()));
    return 104;
  }
  STARTUPINFOW startup{sizeof startup};
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE,
                      DEBUG_PROCESS | CREATE_SUSPENDED, nullptr, nullptr,
                      &startup, &started)) {
    record.Line("failed=" + std::to_string(GetLastError()));
    return 102;
  }
  // In the job before its first instruction, so is everything it starts.
  watch.start_id = started.dwProcessId;
  if (!AssignProcessToJobObject(job, started.hProcess) ||
      !CreateThread(nullptr, 0, WatchJob, &watch, 0, nullptr)) {
    record.Line("failed=job " + std::to_string(GetLastError()));
    TerminateProcess(started.hProcess, 1);
    return 104;
  }
  record.Line("start=" + KeyText(started.dwProcessId, started.hProcess), true);
  ResumeThread(started.hThread);

  // Done when no debugged program runs and every program of the job has
  // ended: a program that is being started is in the job before its
  // debugger hears of it.
  DWORD exit_code = 0;
  for (int running = 0;
       running > 0 || WaitForSingleObject(watch.quiet, 0) != WAIT_OBJECT_0;) {
    DEBUG_EVENT event{};
    if (!WaitForDebugEvent(&event, 100)) continue;
    DWORD status = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT: {
        ++running;
        HANDLE process = event.u.CreateProcessInfo.hProcess;
        if (event.dwProcessId != started.dwProcessId) {
          Start start;
          if (!ReadStart(process, start)) start = {L"?", L"?", L"?"};
          if (IsWineDesktop(start)) {
            --running;
            DebugActiveProcessStop(event.dwProcessId);
          } else {
            record.Started(event.dwProcessId, process, start);
            TerminateProcess(process, 0);
          }
        }
        if (event.u.CreateProcessInfo.hFile)
          CloseHandle(event.u.CreateProcessInfo.hFile);
        break;
      }
      case LOAD_DLL_DEBUG_EVENT:
        if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
        break;
      case EXCEPTION_DEBUG_EVENT:
        // The system's breakpoint at each start is ours to pass; every other
        // exception is the program's to handle.
        if (event.u.Exception.ExceptionRecord.ExceptionCode !=
            EXCEPTION_BREAKPOINT)
          status = DBG_EXCEPTION_NOT_HANDLED;
        break;
      case EXIT_PROCESS_DEBUG_EVENT:
        if (event.dwProcessId == started.dwProcessId)
          exit_code = event.u.ExitProcess.dwExitCode;
        --running;
        break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
  }
  // The last windows' texts are in before the end is told.
  Sleep(100);
  record.Line("exit_code=" + std::to_string(exit_code));
  return static_cast<int>(exit_code);
}
