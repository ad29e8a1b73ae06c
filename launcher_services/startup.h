// Start-up of the services: the Windows version, on the NT family the
// Administrators membership, then the clean-up of the product key.
#pragma once

namespace services {

// Raises SystemError when the Administrators query fails.
void StartServices();

}  // namespace services
