// box_text: prints the caption and the text of every message box on the
// screen, in UTF-8, a line each ("caption", a tab, "text"): whole, where a
// trace cuts long texts short.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {
std::string Utf8(HWND window) {
  wchar_t text[4096] = {};
  GetWindowTextW(window, text, 4096);
  char out[16384] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, nullptr, nullptr);
  return out;
}

BOOL CALLBACK PrintBox(HWND window, LPARAM) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  // A message box is a dialog whose text is the static control 0xFFFF.
  if (IsWindowVisible(window) && std::string(name) == "#32770")
    std::printf("%s\t%s\n", Utf8(window).c_str(),
                Utf8(GetDlgItem(window, 0xFFFF)).c_str());
  return TRUE;
}
}  // namespace

int main() {
  EnumWindows(PrintBox, 0);
  return 0;
}
