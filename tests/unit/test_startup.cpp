// The administrator query, through fake token functions, so that failures
// that no real system produces on demand can be tested too.
#include "common/errors.h"
#include "launcher_services/administrator_query.h"
#include "launcher_services/startup.h"
#include "launcher_services/startup_with_tokens.h"
#include "launcher_services/uninstall_registration.h"
#include "scratch.h"
#include "windows/windows_version.h"

using namespace services;

namespace {
struct FakeTokens {
  DWORD threadError = ERROR_NO_TOKEN;
  bool processFails = false;
  int failingStep = 0;  // the query's step that fails: 1, 2 or 3
  int freed = 0;
  std::vector<PSID> groups;
  // Events stand in for tokens: the query closes them like tokens.
  std::vector<HANDLE> tokens;
} fake;

BOOL NewToken(PHANDLE token) {
  fake.tokens.push_back(*token = CreateEventA(nullptr, FALSE, FALSE, nullptr));
  return TRUE;
}
BOOL WINAPI OpenThread(HANDLE, DWORD, BOOL, PHANDLE token) {
  SetLastError(fake.threadError);
  return !fake.threadError && NewToken(token);
}
BOOL WINAPI OpenProcess(HANDLE, DWORD, PHANDLE token) {
  return !fake.processFails && NewToken(token);
}
BOOL WINAPI Allocate(PSID_IDENTIFIER_AUTHORITY a, BYTE n, DWORD s0, DWORD s1,
                     DWORD s2, DWORD s3, DWORD s4, DWORD s5, DWORD s6, DWORD s7,
                     PSID* sid) {
  return fake.failingStep != 1 &&
         AllocateAndInitializeSid(a, n, s0, s1, s2, s3, s4, s5, s6, s7, sid);
}
BOOL WINAPI Information(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID buffer,
                        DWORD size, PDWORD needed) {
  DWORD want = sizeof(DWORD) + fake.groups.size() * sizeof(SID_AND_ATTRIBUTES);
  if (!buffer) {
    *needed = want;
    SetLastError(fake.failingStep == 2 ? ERROR_ACCESS_DENIED
                                       : ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (fake.failingStep == 3 || size < want) return FALSE;
  auto* list = static_cast<TOKEN_GROUPS*>(buffer);
  list->GroupCount = static_cast<DWORD>(fake.groups.size());
  for (size_t i = 0; i < fake.groups.size(); ++i)
    list->Groups[i] = {fake.groups[i], 0};
  return TRUE;
}
PVOID WINAPI Free(PSID sid) {
  ++fake.freed;
  return FreeSid(sid);
}
const TokenFunctions kFakeApi = {OpenThread,  OpenProcess, Allocate,
                                 Information, EqualSid,    Free};

bool AllTokensClosed() {
  DWORD flags = 0;
  for (HANDLE token : fake.tokens)
    if (GetHandleInformation(token, &flags)) return false;
  return true;
}

// Made once, for the whole run.
PSID Group(DWORD rid) {
  SID_IDENTIFIER_AUTHORITY nt = {SECURITY_NT_AUTHORITY};
  PSID sid = nullptr;
  AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, rid, 0, 0, 0, 0,
                           0, 0, &sid);
  return sid;
}
const PSID users = Group(DOMAIN_ALIAS_RID_USERS),
           admins = Group(DOMAIN_ALIAS_RID_ADMINS);

class Administrator : public BoxTest {
 protected:
  void SetUp() override {
    BoxTest::SetUp();
    fake = {};
  }
};
}  // namespace

TEST_F(Administrator, FoundAnywhereInTheGroupList) {
  fake.groups = {users, admins, users};
  EXPECT_TRUE(IsAdministratorWith(kFakeApi));
  fake.groups = {users, users};
  EXPECT_FALSE(IsAdministratorWith(kFakeApi));
  EXPECT_EQ(fake.freed, 2);
  EXPECT_EQ(fake.tokens.size(), 2u);
  EXPECT_TRUE(AllTokensClosed());
}

TEST_F(Administrator, ThreadTokenFirstProcessTokenOnlyWhenThereIsNone) {
  fake.groups = {admins};
  fake.threadError = 0;
  fake.processFails = true;
  EXPECT_TRUE(IsAdministratorWith(kFakeApi));
  fake.threadError = ERROR_NO_TOKEN;
  EXPECT_FALSE(IsAdministratorWith(kFakeApi));
  fake.processFails = false;
  fake.threadError = ERROR_ACCESS_DENIED;
  EXPECT_FALSE(IsAdministratorWith(kFakeApi));
  EXPECT_EQ(fake.tokens.size(), 1u);
}

TEST_F(Administrator, EachFailingStepRaisesItsOwnError) {
  for (int step : {1, 2, 3}) {
    fake.failingStep = step;
    EXPECT_EQ(Raised([] { IsAdministratorWith(kFakeApi); }),
              "SystemError: Winsys: Administrator-" + std::to_string(step));
  }
}

TEST_F(Administrator, FailedQueryStopsTheStartUpBeforeTheCleanUp) {
  const char* productKey = kProductKey + 1;
  SetRegistryValue(HKEY_LOCAL_MACHINE, productKey, "v", REG_SZ, "x", 2);
  fake.failingStep = 3;
  EXPECT_EQ(Raised([] { StartServicesWith(kFakeApi); }),
            "SystemError: Winsys: Administrator-3");
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, productKey));
  fake.failingStep = 0;
  StartServicesWith(kFakeApi);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, productKey));
}

namespace {
BOOL WINAPI FailingVersionQuery(LPOSVERSIONINFOA) {
  SetLastError(ERROR_FILE_NOT_FOUND);
  return FALSE;
}
}  // namespace

TEST_F(Administrator, FailedVersionQueryIsReportedAndCountsAsNotNt) {
  EXPECT_FALSE(QueryWindowsVersionWith(FailingVersionQuery));
  EXPECT_EQ(shownBoxes,
            (std::vector<RecordedBox>{
                {"Windows Error: GetVersionEx", "File not found. ", MB_OK}}));
}

// The system's own token functions are found, and Wine's user is an
// administrator.
TEST(AdministratorOnThisSystem, IsFoundWithTheResolvedFunctions) {
  EXPECT_TRUE(QueryWindowsVersion());
  EXPECT_TRUE(IsAdministrator());
}
