// Program entry: start the services, then the launch. Every error that
// nothing else catches ends in the last-chance box.
#include <cstdlib>
#include <new>

#include "first_argument.h"
#include "run_launcher.h"
#include "system_services/dll_search.h"
#include "system_services/errors.h"
#include "system_services/last_chance.h"
#include "system_services/messages.h"
#include "system_services/process.h"
#include "system_services/startup.h"

// libstdc++'s verbose handler drags in its demangler; the handler of last
// resort here only has to end the process.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int main() {
  using namespace services;
  // First of all: no DLL that this process loads from now on (a message box
  // loads some) may come from the medium's folder.
  NarrowDllSearch();
  try {
    StartServices();
    try {
      launcher::RunLauncher(ProgramPath(),
                            launcher::FirstArgument(ProcessCommandLine()));
    } catch (const ETooLongError& refused) {
      ShowMessage(refused.Message() + " Nothing was started.", "Cannot Start");
    }
  } catch (const Exception& error) {
    LastChance(error);
  } catch (const std::bad_alloc&) {
    LastChance(Exception("Out of memory"));
  } catch (...) {
    LastChance(Exception("Unexpected error"));
  }
  return 0;
}
