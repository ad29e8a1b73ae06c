// Which language the boxes speak, chosen as Windows chooses its own.
#pragma once

#include "common/text_tables.h"

namespace services {

// The index in tables (count of them) of the language for a user whose
// Windows speaks uiLanguage (a language identifier) in the ANSI code page
// codePage; -1 for English. The same language and region first, then the
// same language; Simplified and Traditional Chinese never stand in for each
// other. A language is taken only where the code page is the one that its
// texts are written in: a box is never a row of question marks.
int ChooseLanguage(unsigned short uiLanguage, unsigned codePage,
                   const PackedTexts* tables, int count);

}  // namespace services
