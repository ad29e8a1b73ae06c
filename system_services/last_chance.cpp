#include "last_chance.h"

#include <windows.h>

#include <cstdio>

#include "message_box.h"

namespace services {

namespace {
std::string ModuleName() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name = path;
  std::string::size_type slash = name.rfind('\\');
  if (slash != std::string::npos) name.erase(0, slash + 1);
  return name.substr(0, 63);
}
}  // namespace

std::string LastChanceText(const Exception& error) {
  const std::string& message = error.Message();
  const char* stop =
      (!message.empty() && message.back() != '.') ? "." : "";
  char text[256];
  std::snprintf(text, sizeof text, "Exception %s in module %s at %08lX.\n%s%s",
                error.TypeName(), ModuleName().c_str(), error.CodeOffset(),
                message.c_str(), stop);
  text[255] = '\0';
  return text;
}

void LastChance(const Exception& error) {
  ShowBox(nullptr, LastChanceText(error).c_str(), "Application Error",
          MB_OK | MB_ICONSTOP | MB_TASKMODAL);
  ExitProcess(1);
}

}  // namespace services
