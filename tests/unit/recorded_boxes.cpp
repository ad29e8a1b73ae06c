#include "recorded_boxes.h"

#include <ostream>

#include "system_services/message_box.h"

namespace {
int boxResult = IDOK;
}

std::vector<RecordedBox>& RecordedBoxes() {
  static std::vector<RecordedBox> boxes;
  return boxes;
}

void SetBoxResult(int result) { boxResult = result; }

void PrintTo(const RecordedBox& box, std::ostream* out) {
  *out << "{\"" << box.caption << "\", \"" << box.text << "\", " << box.style
       << "}";
}

namespace services {
int ShowBox(HWND, const char* text, const char* caption, UINT style) {
  RecordedBoxes().push_back({caption, text, style});
  if (boxResult == 0) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return boxResult;
}
}  // namespace services
