// In the tests a raised error is thrown, so that a case can see it and go on.
#include "common/errors.h"

namespace services {
void Raise(const Exception& error) { throw error; }
}  // namespace services
