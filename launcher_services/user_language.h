// The user's language, and the texts in it.
#pragma once

namespace services {

// The language identifier of the Windows user interface: Windows 2000 and Me
// on tell it (GetUserDefaultUILanguage). Older ones keep it in the registry:
// the 95 family the language of its own resources, NT 4 the locale that it
// was installed with, the default user's. 0 when none is found.
unsigned short UserInterfaceLanguage();

// Makes the texts of the user's language, where the program carries them and
// the system's code page writes them, the ones that every box shows.
void ChooseUserTexts();

}  // namespace services
