// The texts of every language: the one chosen for the user, and the tables
// built into the program, unpacked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/language_choice.h"
#include "common/text_tables.h"
#include "common/texts.h"
#include "common/unpack.h"

using namespace services;

namespace {
// Languages as the tables name them.
const PackedTexts kTables[] = {{0x0407, 1252, 0, 0, nullptr},
                               {0x0416, 1252, 0, 0, nullptr},
                               {0x0804, 936, 0, 0, nullptr},
                               {0x0419, 1251, 0, 0, nullptr}};
}  // namespace

TEST(ChooseLanguage, AsWindowsDoesWhereTheCodePageWritesIt) {
  struct Case {
    unsigned short ui;
    unsigned codePage;
    int chosen;
  } cases[] = {
      {0x0407, 1252, 0},   // German, Germany
      {0x0C07, 1252, 0},   // German, Austria: the language alone
      {0x0816, 1252, 1},   // Portuguese, Portugal: the Brazilian texts
      {0x0804, 936, 2},    // Chinese, PRC
      {0x1004, 936, 2},    // Chinese, Singapore: Simplified too
      {0x0404, 936, -1},   // Chinese, Taiwan: Traditional, never Simplified
      {0x0C04, 936, -1},   // Chinese, Hong Kong
      {0x0419, 1252, -1},  // Russian on a Western code page: English
      {0x0419, 1251, 3},  {0x0409, 1252, -1},  // English
      {0x0411, 932, -1},                       // a language without texts
      {0, 1252, -1}};                          // none found
  for (const Case& c : cases)
    EXPECT_EQ(ChooseLanguage(c.ui, c.codePage, kTables, 4), c.chosen)
        << std::hex << c.ui << " " << std::dec << c.codePage;
}

// Every table that the program carries unpacks to every text, each with the
// %s that English has.
TEST(BuiltInTexts, UnpackToEveryTextWithItsPlaceholders) {
  auto placeholders = [](const char* table) {
    std::vector<int> counts;
    for (const char* text = table; counts.size() < kTextCount;
         text += std::char_traits<char>::length(text) + 1) {
      int count = 0;
      for (const char* at = text; *at; ++at)
        count += at[0] == '%' && at[1] == 's';
      counts.push_back(count);
    }
    return counts;
  };
  for (const PackedTexts* texts = kOtherLanguages; texts->packed; ++texts) {
    std::string table(texts->size, '?');
    ASSERT_TRUE(
        Unpack(texts->packed, texts->packedSize, &table[0], table.size()))
        << std::hex << texts->language;
    EXPECT_EQ(table.back(), '\0');
    EXPECT_EQ(placeholders(table.c_str()), placeholders(EnglishTexts()))
        << std::hex << texts->language;
  }
}

// (fuzz_unpack tries the rest: every input stays within its buffers.)
TEST(Unpack, RefusesWhatDoesNotUnpackToItsSizeOrReachesOutside) {
  const unsigned char good[] = {2, 'a', 'b', 'c', 0x81, 3, 0};  // "abc" "abca"
  char out[8];
  EXPECT_TRUE(Unpack(good, sizeof good, out, 7));
  EXPECT_EQ(std::string(out, 7), "abcabca");
  EXPECT_FALSE(Unpack(good, sizeof good, out, 8));      // shorter than promised
  const unsigned char before[] = {0, 'a', 0x80, 2, 0};  // reaches before it
  EXPECT_FALSE(Unpack(before, sizeof before, out, 4));
  const unsigned char none[] = {0, 'a', 0x80, 0, 0};  // a distance of 0
  EXPECT_FALSE(Unpack(none, sizeof none, out, 4));
}
