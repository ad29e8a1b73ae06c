#include "common/language_choice.h"

namespace services {

namespace {
constexpr unsigned short kChinese = 0x04;

unsigned short Primary(unsigned short language) { return language & 0x3FF; }

// Chinese sub-languages 2 (PRC) and 4 (Singapore) are written in Simplified
// characters; 1, 3 and 5 (Taiwan, Hong Kong, Macao) in Traditional ones.
bool SameScript(unsigned short a, unsigned short b) {
  auto simplified = [](unsigned short language) {
    unsigned sub = language >> 10;
    return sub == 2 || sub == 4;
  };
  return Primary(a) != kChinese || simplified(a) == simplified(b);
}
}  // namespace

int ChooseLanguage(unsigned short uiLanguage, unsigned codePage,
                   const PackedTexts* tables, int count) {
  int sameLanguage = -1;
  for (int i = 0; i < count; ++i) {
    if (tables[i].codePage != codePage) continue;
    if (tables[i].language == uiLanguage) return i;
    if (sameLanguage < 0 &&
        Primary(tables[i].language) == Primary(uiLanguage) &&
        SameScript(tables[i].language, uiLanguage))
      sameLanguage = i;
  }
  return sameLanguage;
}

}  // namespace services
