// The convention of the five reported platform calls: clear the thread's last
// error, make the call, and when the call's own failure test holds, show the
// system's text for the last error under the operation's name.
#pragma once

#include <windows.h>

#include "messages.h"

namespace services {

template <typename Call, typename FailureTest>
auto CallReported(const char* operationName, Call call, FailureTest failed) {
  SetLastError(0);
  auto result = call();
  if (failed(result)) ReportWindowsError(operationName);
  return result;
}

}  // namespace services
