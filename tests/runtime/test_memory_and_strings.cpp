// The shipped program's own memory and string functions, on the host. They
// are compiled here under other names, so that the host's own stay in use
// for everything else, and compared with the host's.
#include <gtest/gtest.h>

#include <cstring>
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
#undef memcpy
#undef memmove
#undef memset
#undef memcmp
#undef memchr
#undef strlen
#undef strnlen
#undef strchr
#undef strcmp

namespace {
const char kBytes[] = "0123456789abcdefghij";
}

// Overlapping either way, for every length and distance: the bytes that
// were there are moved, none of them overwritten first.
TEST(RuntimeMemory, MoveCopesWithOverlapInBothDirections) {
  for (std::size_t length = 0; length <= 12; ++length)
    for (std::size_t distance = 0; distance <= 4; ++distance) {
      char ours[sizeof kBytes], hosts[sizeof kBytes];
      std::memcpy(ours, kBytes, sizeof kBytes);
      std::memcpy(hosts, kBytes, sizeof kBytes);
      runtime_memmove(ours + distance, ours, length);
      std::memmove(hosts + distance, hosts, length);
      EXPECT_EQ(std::string(ours), hosts) << length << " up " << distance;
      runtime_memmove(ours, ours + distance, length);
      std::memmove(hosts, hosts + distance, length);
      EXPECT_EQ(std::string(ours), hosts) << length << " down " << distance;
    }
}

// Exactly their length: not a byte fewer, not a byte past it.
TEST(RuntimeMemory, CopyAndFillTouchTheirLengthOnly) {
  for (std::size_t length = 0; length <= 16; ++length) {
    std::string copied(18, '.'), filled(18, '.');
    runtime_memcpy(&copied[1], kBytes, length);
    runtime_memset(&filled[1], 'x', length);
    EXPECT_EQ(copied, "." + std::string(kBytes, length) +
                          std::string(17 - length, '.'));
    EXPECT_EQ(filled,
              "." + std::string(length, 'x') + std::string(17 - length, '.'));
  }
}

TEST(RuntimeStrings, SearchesAndComparisonsAgreeWithTheHosts) {
  const char* text = kBytes;
  EXPECT_EQ(runtime_strchr(text, '\0'), text + 20);  // the end is found too
  EXPECT_EQ(runtime_strchr(text, 'a'), text + 10);
  EXPECT_EQ(runtime_strchr(text, 'z'), nullptr);
  EXPECT_EQ(runtime_memchr(text, 'j', 20), text + 19);
  EXPECT_EQ(runtime_memchr(text, 'j', 19), nullptr);
  EXPECT_EQ(runtime_strlen(text), 20u);
  EXPECT_EQ(runtime_strnlen(text, 5), 5u);
  EXPECT_EQ(runtime_strnlen(text, 30), 20u);
  for (const char* other : {"0123", "01234", "012\xe0", "", "0124"}) {
    auto sign = [](int n) { return (n > 0) - (n < 0); };
    EXPECT_EQ(sign(runtime_strcmp("0123", other)),
              sign(std::strcmp("0123", other)))
        << other;
    EXPECT_EQ(sign(runtime_memcmp("0123", other, 4)),
              sign(std::memcmp("0123", other, 4)))
        << other;
  }
}
