// Records the boxes that the services would show, in place of MessageBoxA.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

struct RecordedBox {
  std::string caption;
  std::string text;
  unsigned style;
  bool operator==(const RecordedBox& other) const {
    return caption == other.caption && text == other.text &&
           style == other.style;
  }
};

std::vector<RecordedBox>& RecordedBoxes();
// The result the next boxes answer with (1, the OK button, by default).
void SetBoxResult(int result);
void PrintTo(const RecordedBox& box, std::ostream* out);
