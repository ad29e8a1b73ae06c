#include "last_chance.h"

#include <windows.h>

#include <cstdio>

#include "message_box.h"

namespace services {

namespace {
std::string ModulePath() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}
}  // namespace

std::string LastChanceText(const Exception& error,
                           const std::string& modulePath) {
  std::string module = modulePath.substr(modulePath.rfind('\\') + 1, 63);
  const std::string& message = error.Message();
  const char* stop = (!message.empty() && message.back() != '.') ? "." : "";
  char text[256];
  std::snprintf(text, sizeof text, "Exception %s in module %s at %08lX.\n%s%s",
                error.TypeName(), module.c_str(), error.CodeOffset(),
                message.c_str(), stop);
  text[255] = '\0';
  return text;
}

void LastChance(const Exception& error) {
  ShowBox(nullptr, LastChanceText(error, ModulePath()).c_str(),
          "Application Error", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
  ExitProcess(1);
}

}  // namespace services
