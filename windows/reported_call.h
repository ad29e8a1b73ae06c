// The convention of the five reported platform calls: clear the thread's last
// error, make the call, and when the call's own failure test holds, show the
// system's text for the last error under the operation's name. A caller that
// holds a lock that others wait for takes the two halves apart, and reports
// once the lock is given back.
#pragma once

#include <windows.h>

#include "windows/message_boxes.h"

namespace services {

// A call's result and the last error that it left.
template <typename Result>
struct CallOutcome {
  Result result;
  DWORD lastError;
};

template <typename Call>
auto CallClearingLastError(Call call) -> CallOutcome<decltype(call())> {
  SetLastError(0);
  auto result = call();
  return {result, GetLastError()};
}

template <typename Call, typename FailureTest>
auto CallReported(const char* operationName, Call call, FailureTest failed) {
  auto outcome = CallClearingLastError(call);
  if (failed(outcome.result))
    ReportWindowsError(operationName, outcome.lastError);
  return outcome.result;
}

}  // namespace services
