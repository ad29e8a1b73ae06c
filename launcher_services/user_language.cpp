#include "launcher_services/user_language.h"

#include <windows.h>

#include "common/hex_text.h"
#include "common/language_choice.h"
#include "common/texts.h"
#include "common/unpack.h"
#include "windows/registry.h"
#include "windows/system_functions.h"
#include "windows/user_language_query.h"

namespace services {

unsigned short UserInterfaceLanguage() {
  return UserInterfaceLanguageWith(Kernel32().GetUserDefaultUILanguage);
}

unsigned short UserInterfaceLanguageWith(LANGID(WINAPI* query)()) {
  if (query) return query();
  std::string language;
  (void)ReadRegistryString("",
                           ".DEFAULT\\Control Panel\\desktop\\ResourceLocale",
                           RegistryRoot::kUsers, language);
  if (language.empty())
    (void)ReadRegistryString("Locale", ".DEFAULT\\Control Panel\\International",
                             RegistryRoot::kUsers, language);
  // A locale identifier in hexadecimal digits; the language is its low half.
  return static_cast<unsigned short>(HexValue(language.c_str()));
}

void ChooseUserTexts() {
  if (kOtherLanguageCount == 0) return;
  int chosen = ChooseLanguage(UserInterfaceLanguage(), GetACP(),
                              kOtherLanguages, kOtherLanguageCount);
  if (chosen < 0) return;
  const PackedTexts& texts = kOtherLanguages[chosen];
  // Kept for the program's lifetime. Without the memory, English.
  auto* table = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, texts.size));
  if (table && Unpack(texts.packed, texts.packedSize, table, texts.size))
    UseTexts(table);
}

}  // namespace services
