// The texts that the program shows, in the language chosen for the user
// (English until one is chosen, and where none fits).
#pragma once

#include "common/text_id.h"

namespace services {

const char* Text(TextId id);

// The English table: every text in its order, each ended by a NUL.
const char* EnglishTexts();

// Makes table (every text in its order, each ended by a NUL) the one that
// Text reads from, for the rest of the program's life.
void UseTexts(const char* table);

}  // namespace services
