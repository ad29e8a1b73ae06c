#include "windows/shared_security.h"

#include "windows/windows_version.h"

namespace services {

namespace {
// Security descriptors in self-relative form, whole in their bytes: the
// header, then the lists that it names by their offsets. No owner or group:
// the maker's. The access list lets the interactive group (S-1-5-4) do
// everything: every launcher that the user starts, elevated or not, runs
// with it, and the objects live in the user's session. (The user's own
// identity would do too, but it must be read from the token.)
#define DESCRIPTOR_HEADER(control, saclOffset) \
  1, 0, control, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, saclOffset, 0, 0, 0, 20, 0, 0, 0
// An access list of one entry: revision 2, size 28, one entry, which allows
// GENERIC_ALL to S-1-5-4.
#define INTERACTIVE_MAY_DO_ALL                                                 \
  2, 0, 28, 0, 1, 0, 0, 0, 0, 0, 20, 0, 0, 0, 0, 0x10, 1, 1, 0, 0, 0, 0, 0, 5, \
      4, 0, 0, 0

// SE_DACL_PRESENT.
alignas(4) const unsigned char kUnlabelled[] = {DESCRIPTOR_HEADER(0x04, 0),
                                                INTERACTIVE_MAY_DO_ALL};
// SE_DACL_PRESENT | SE_SACL_PRESENT, and a system list of one label: low
// (S-1-16-4096) with no-write-up, which keeps no launcher out, whatever its
// level. A label at or below its maker's own needs no privilege.
alignas(4) const unsigned char kLabelled[] = {DESCRIPTOR_HEADER(0x14, 48),
                                              INTERACTIVE_MAY_DO_ALL,
                                              2,
                                              0,
                                              28,
                                              0,
                                              1,
                                              0,
                                              0,
                                              0,
                                              0x11,
                                              0,
                                              20,
                                              0,
                                              1,
                                              0,
                                              0,
                                              0,
                                              1,
                                              1,
                                              0,
                                              0,
                                              0,
                                              0,
                                              0,
                                              16,
                                              0,
                                              0x10,
                                              0,
                                              0};
#undef DESCRIPTOR_HEADER
#undef INTERACTIVE_MAY_DO_ALL

const SECURITY_ATTRIBUTES kUnlabelledAttributes = {
    sizeof(SECURITY_ATTRIBUTES), const_cast<unsigned char*>(kUnlabelled),
    FALSE};
const SECURITY_ATTRIBUTES kLabelledAttributes = {
    sizeof(SECURITY_ATTRIBUTES), const_cast<unsigned char*>(kLabelled), FALSE};
}  // namespace

SECURITY_ATTRIBUTES* SharedObjectSecurity() {
  // The system keeps what it is given: nothing writes to these.
  if (!IsNtFamily()) return nullptr;
  return const_cast<SECURITY_ATTRIBUTES*>(
      HasIntegrityLevels() ? &kLabelledAttributes : &kUnlabelledAttributes);
}

}  // namespace services
