#include "user_language.h"

#include <windows.h>

#include "hex_text.h"
#include "language_choice.h"
#include "registry.h"
#include "system_functions.h"
#include "texts.h"
#include "unpack.h"
#include "user_language_query.h"

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
