// The shipped program's own memory and string functions, on the host,
// compiled here under other names so that the host's own stay in use for
// everything else.
#include <gtest/gtest.h>

#include <string>

#define memcpy runtime_memcpy
#define memmove runtime_memmove
#define memset runtime_memset
#define memcmp runtime_memcmp
#define memchr runtime_memchr
#define strlen runtime_strlen
#define strnlen runtime_strnlen
#define strchr runtime_strchr
#define strcmp runtime_strcmp
#include "runtime/memory_and_strings.cpp"

namespace {
const std::string kBytes = "0123456789abcdefghij";
int Sign(int n) { return (n > 0) - (n < 0); }
}  // namespace

// Overlapping either way, for every length and distance: the bytes that
// were there are moved, none of them overwritten first.
TEST(RuntimeMemory, MoveCopesWithOverlapInBothDirections) {
  for (std::size_t length = 0; length <= 12; ++length)
    for (std::size_t distance = 0; distance <= 4; ++distance) {
      std::string up = kBytes, down = kBytes;
      runtime_memmove(&up[distance], &up[0], length);
      runtime_memmove(&down[0], &down[distance], length);
      EXPECT_EQ(up, kBytes.substr(0, distance) + kBytes.substr(0, length) +
                        kBytes.substr(distance + length));
      EXPECT_EQ(down, kBytes.substr(distance, length) + kBytes.substr(length));
    }
}

// Exactly their length: not a byte fewer, not a byte past it.
TEST(RuntimeMemory, CopyAndFillTouchTheirLengthOnly) {
  for (std::size_t length = 0; length <= 16; ++length) {
    std::string copied(18, '.'), filled(18, '.');
    runtime_memcpy(&copied[1], kBytes.data(), length);
    runtime_memset(&filled[1], 'x', length);
    std::string after(17 - length, '.');
    EXPECT_EQ(copied, "." + kBytes.substr(0, length) + after);
    EXPECT_EQ(filled, "." + std::string(length, 'x') + after);
  }
}

TEST(RuntimeStrings, SearchesFindTheirEndsAndComparisonsTheirBytes) {
  const char* text = kBytes.c_str();
  EXPECT_EQ(runtime_strchr(text, '\0'), text + 20);  // the end is found too
  EXPECT_EQ(runtime_strchr(text, 'a'), text + 10);
  EXPECT_EQ(runtime_strchr(text, 'z'), nullptr);
  // Bytes compare unsigned: 0xE0 comes after '3'.
  for (auto [other, sign] : {std::pair{"0123", 0},
                             {"01234", -1},
                             {"012\xe0", -1},
                             {"", 1},
                             {"0122", 1}})
    EXPECT_EQ(Sign(runtime_strcmp("0123", other)), sign) << other;
}
