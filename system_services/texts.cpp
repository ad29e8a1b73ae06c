#include "texts.h"

#include <cstring>

#include "text_tables.h"

namespace services {

namespace {
// Part of what the program knows of the system: the user's language. None
// chosen is English (and keeps the variable out of the program's file).
const char* chosenTexts = nullptr;
}  // namespace

const char* Text(TextId id) {
  const char* text = chosenTexts ? chosenTexts : kEnglishTexts;
  for (int n = static_cast<int>(id); n > 0; --n) text += std::strlen(text) + 1;
  return text;
}

void UseTexts(const char* table) { chosenTexts = table; }

}  // namespace services
