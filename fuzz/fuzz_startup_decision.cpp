// The installed-program decision over any facts: a complete medium launches,
// a hand-off needs a registered, current copy with an install directory, and
// every advice is one of the four texts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/errors.h"
#include "launcher/startup_decision.h"
#include "launcher/version.h"

static bool programThere = false;
static bool Exists(const std::string&) { return programThere; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string::size_type cut = rest.find('\n');
  launcher::StartupFacts facts;
  facts.displayName = rest.substr(0, cut);
  facts.installDirectory =
      cut == std::string::npos ? std::string() : rest.substr(cut + 1);
  facts.filesPresent = data[0] & 1;
  programThere = data[0] & 2;
  using Outcome = launcher::StartupDecision::Outcome;
  try {
    launcher::StartupDecision decision = launcher::DecideStartup(facts, Exists);
    bool registered = !facts.displayName.empty();
    if ((decision.outcome == Outcome::kLaunch) != facts.filesPresent)
      __builtin_trap();
    if (decision.outcome == Outcome::kHandOff &&
        (!registered || !programThere || facts.installDirectory.empty() ||
         launcher::IsTooOldForModules(
             launcher::ParseVersionNumber(facts.displayName))))
      __builtin_trap();
    if (decision.outcome == Outcome::kAdvise &&
        decision.advice !=
            "Current Lexivane Program too old to install modules" &&
        decision.advice != "Program not properly installed" &&
        decision.advice !=
            "Program install files missing (2) <> <" + facts.installDirectory)
      __builtin_trap();
  } catch (const services::Exception& error) {
    if (facts.displayName.empty() ||
        std::string(error.TypeName()) != services::EConvertError::kTypeName)
      __builtin_trap();
  }
  return 0;
}
