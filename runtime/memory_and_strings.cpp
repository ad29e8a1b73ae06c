// The memory and string functions that the compiler (for copies and fills)
// and the standard library's string call. Simple loops: the program's texts
// are paths and short messages.
#include <cstddef>

using std::size_t;

extern "C" {

void* memcpy(void* to, const void* from, size_t count) {
  auto* out = static_cast<unsigned char*>(to);
  auto* in = static_cast<const unsigned char*>(from);
  while (count--) *out++ = *in++;
  return to;
}

void* memmove(void* to, const void* from, size_t count) {
  auto* out = static_cast<unsigned char*>(to);
  auto* in = static_cast<const unsigned char*>(from);
  if (out <= in) return memcpy(to, from, count);
  while (count--) out[count] = in[count];
  return to;
}

void* memset(void* to, int value, size_t count) {
  auto* out = static_cast<unsigned char*>(to);
  while (count--) *out++ = static_cast<unsigned char>(value);
  return to;
}

int memcmp(const void* left, const void* right, size_t count) {
  auto* a = static_cast<const unsigned char*>(left);
  auto* b = static_cast<const unsigned char*>(right);
  for (; count; --count, ++a, ++b)
    if (*a != *b) return *a - *b;
  return 0;
}

void* memchr(const void* memory, int value, size_t count) {
  auto* at = static_cast<const unsigned char*>(memory);
  for (; count; --count, ++at)
    if (*at == static_cast<unsigned char>(value))
      return const_cast<unsigned char*>(at);
  return nullptr;
}

size_t strlen(const char* text) {
  size_t length = 0;
  while (text[length]) ++length;
  return length;
}

size_t strnlen(const char* text, size_t most) {
  size_t length = 0;
  while (length < most && text[length]) ++length;
  return length;
}

char* strchr(const char* text, int character) {
  for (;; ++text) {
    if (*text == static_cast<char>(character)) return const_cast<char*>(text);
    if (!*text) return nullptr;
  }
}

int strcmp(const char* left, const char* right) {
  auto* a = reinterpret_cast<const unsigned char*>(left);
  auto* b = reinterpret_cast<const unsigned char*>(right);
  while (*a && *a == *b) ++a, ++b;
  return *a - *b;
}

}  // extern "C"
