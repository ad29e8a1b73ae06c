#include "common/texts.h"

#include <cstring>

#include "common/text_tables.h"
#include "common/unpack.h"

namespace services {

namespace {
// Part of what the program knows of the system: the user's language, none
// chosen until the first text is asked for.
const char* chosenTexts = nullptr;
// English, unpacked when first asked for, into memory that needs no
// allocation: the last-chance box speaks when memory has run out too.
char englishTexts[kEnglishTextsSize];
}  // namespace

const char* Text(TextId id) {
  if (!chosenTexts) UseTexts(EnglishTexts());
  const char* text = chosenTexts;
  for (int n = static_cast<int>(id); n > 0; --n) text += std::strlen(text) + 1;
  return text;
}

const char* EnglishTexts() {
  // The tables are built and checked with the program: they unpack whole.
  if (!englishTexts[0])
    Unpack(kEnglishTexts.packed, kEnglishTexts.packedSize, englishTexts,
           sizeof englishTexts);
  return englishTexts;
}

void UseTexts(const char* table) { chosenTexts = table; }

}  // namespace services
