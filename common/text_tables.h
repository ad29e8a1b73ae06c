// The texts' tables, made from resources/texts/ by cmake/text_tables.py.
#pragma once

#include "common/text_id.h"

namespace services {

// A language's table, packed (see unpack.h): every text in its order, each
// ended by a NUL.
struct PackedTexts {
  unsigned short language;  // a Windows language identifier
  unsigned short codePage;  // the ANSI code page that its texts are written in
  unsigned short packedSize;
  unsigned short size;
  const unsigned char* packed;
};

// English, kEnglishTextsSize bytes unpacked.
extern const PackedTexts kEnglishTexts;
// kOtherLanguageCount of them, then an empty one.
extern const PackedTexts kOtherLanguages[];

}  // namespace services
