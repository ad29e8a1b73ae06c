// Program entry: start the services, then the launch. An error raised on the
// way ends the program in its box (see Raise below). Only the shipped build
// has no C++ exceptions; in the others a fault of the standard library ends
// the program without a box.
#include "common/errors.h"
#include "common/texts.h"
#include "first_argument.h"
#include "launcher_services/last_chance.h"
#include "launcher_services/startup.h"
#include "launcher_services/user_language.h"
#include "run_launcher.h"
#include "windows/dll_search.h"
#include "windows/message_boxes.h"
#include "windows/process.h"

namespace services {
// A refusal gets its own box: nothing was started, and nothing is wrong with
// the program. Every other error ends in the last-chance box.
void Raise(const Exception& error) {
  if (error.Kind() == ErrorKind::kRefusal) {
    ShowMessage(error.Message() + Text(TextId::kNothingStarted),
                Text(TextId::kCaptionCannotStart));
    EndProcess(0);
  }
  LastChance(error);
}
}  // namespace services

int main() {
  using namespace services;
  // First of all: no DLL that this process loads from now on (a message box
  // loads some) may come from the medium's folder.
  NarrowDllSearch();
  // Then the user's language: every box from here on speaks it.
  ChooseUserTexts();
  StartServices();
  // Each may refuse: the program's path is looked at first.
  std::string programPath = ProgramPath();
  std::string firstArgument = launcher::FirstArgument(ProcessCommandLine());
  launcher::RunLauncher(programPath, firstArgument);
  return 0;
}
