// The administrator query, through the token functions it is given, so that
// failures that no real system produces on demand can be tested too.
#include "scratch.h"
#include "system_services/administrator_query.h"
#include "system_services/errors.h"
#include "system_services/startup.h"
#include "system_services/startup_with_tokens.h"
#include "system_services/uninstall_registration.h"
#include "system_services/unique_handle.h"
#include "system_services/windows_version.h"

using namespace services;

namespace {
// A fake token whose group list is built here; each call is counted.
struct FakeTokens {
  static inline int opened = 0, freed = 0;
  static inline DWORD threadError = ERROR_NO_TOKEN;
  static inline bool processOpens = true, sidBuilds = true, sizeFails = true,
                     groupsRead = true;
  static inline std::vector<PSID> groups;
  static inline std::vector<HANDLE> tokens;
  static inline bool usedThreadToken = false;

  static void Reset() {
    opened = freed = 0;
    tokens.clear();
    threadError = ERROR_NO_TOKEN;
    processOpens = sidBuilds = sizeFails = groupsRead = true;
    usedThreadToken = false;
    groups.clear();
  }
  // An event stands in for the token: the query closes it like one.
  static HANDLE NewToken() {
    ++opened;
    tokens.push_back(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    return tokens.back();
  }
  static bool AllTokensClosed() {
    DWORD flags = 0;
    for (HANDLE token : tokens)
      if (GetHandleInformation(token, &flags)) return false;
    return true;
  }
  static BOOL WINAPI OpenThread(HANDLE, DWORD, BOOL, PHANDLE token) {
    if (threadError) {
      SetLastError(threadError);
      return FALSE;
    }
    usedThreadToken = true;
    *token = NewToken();
    return TRUE;
  }
  static BOOL WINAPI OpenProcess(HANDLE, DWORD, PHANDLE token) {
    if (!processOpens) return FALSE;
    *token = NewToken();
    return TRUE;
  }
  static BOOL WINAPI Allocate(PSID_IDENTIFIER_AUTHORITY a, BYTE n, DWORD s0,
                              DWORD s1, DWORD s2, DWORD s3, DWORD s4, DWORD s5,
                              DWORD s6, DWORD s7, PSID* sid) {
    if (!sidBuilds) return FALSE;
    return AllocateAndInitializeSid(a, n, s0, s1, s2, s3, s4, s5, s6, s7, sid);
  }
  static BOOL WINAPI Information(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID buffer,
                                 DWORD size, PDWORD needed) {
    DWORD want = sizeof(DWORD) + groups.size() * sizeof(SID_AND_ATTRIBUTES);
    if (!buffer) {
      *needed = want;
      SetLastError(sizeFails ? ERROR_INSUFFICIENT_BUFFER : ERROR_ACCESS_DENIED);
      return FALSE;
    }
    if (!groupsRead || size < want) return FALSE;
    auto* list = static_cast<TOKEN_GROUPS*>(buffer);
    list->GroupCount = static_cast<DWORD>(groups.size());
    for (size_t i = 0; i < groups.size(); ++i) list->Groups[i] = {groups[i], 0};
    return TRUE;
  }
  static PVOID WINAPI Free(PSID sid) {
    ++freed;
    return FreeSid(sid);
  }
  static TokenFunctions Api() {
    TokenFunctions api = ResolveTokenFunctions();
    api.OpenThreadToken = OpenThread;
    api.OpenProcessToken = OpenProcess;
    api.AllocateAndInitializeSid = Allocate;
    api.GetTokenInformation = Information;
    api.FreeSid = Free;
    return api;
  }
};

PSID WellKnown(DWORD rid1, DWORD rid2) {
  SID_IDENTIFIER_AUTHORITY nt = {SECURITY_NT_AUTHORITY};
  PSID sid = nullptr;
  AllocateAndInitializeSid(&nt, rid2 ? 2 : 1, rid1, rid2, 0, 0, 0, 0, 0, 0,
                           &sid);
  return sid;
}

class Administrator : public BoxTest {
 protected:
  void SetUp() override {
    BoxTest::SetUp();
    FakeTokens::Reset();
    users_ = WellKnown(SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS);
    admins_ = WellKnown(SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS);
    world_ = WellKnown(SECURITY_LOCAL_SYSTEM_RID, 0);
  }
  void TearDown() override {
    FreeSid(users_);
    FreeSid(admins_);
    FreeSid(world_);
  }
  void ExpectRaises(const char* message) {
    try {
      IsAdministratorWith(FakeTokens::Api());
      ADD_FAILURE() << "no error raised";
    } catch (const SystemError& error) {
      EXPECT_EQ(error.Message(), message);
    }
  }
  PSID users_, admins_, world_;
};
}  // namespace

TEST_F(Administrator, FoundAnywhereInTheGroupList) {
  FakeTokens::groups = {users_, world_, admins_};
  EXPECT_TRUE(IsAdministratorWith(FakeTokens::Api()));
  FakeTokens::groups = {users_, world_};
  EXPECT_FALSE(IsAdministratorWith(FakeTokens::Api()));
  EXPECT_EQ(FakeTokens::freed, 2);
  EXPECT_TRUE(FakeTokens::AllTokensClosed());
}

TEST_F(Administrator, ThreadTokenTakesPrecedence) {
  FakeTokens::threadError = 0;
  FakeTokens::processOpens = false;
  FakeTokens::groups = {admins_};
  EXPECT_TRUE(IsAdministratorWith(FakeTokens::Api()));
  EXPECT_TRUE(FakeTokens::usedThreadToken);
}

TEST_F(Administrator, NoTokenMeansNotAdministrator) {
  FakeTokens::processOpens = false;
  EXPECT_FALSE(IsAdministratorWith(FakeTokens::Api()));
  // Another thread-token failure does not fall back to the process token.
  FakeTokens::processOpens = true;
  FakeTokens::threadError = ERROR_ACCESS_DENIED;
  EXPECT_FALSE(IsAdministratorWith(FakeTokens::Api()));
  EXPECT_EQ(FakeTokens::opened, 0);
}

TEST_F(Administrator, EachFailingStepRaisesItsOwnError) {
  FakeTokens::sidBuilds = false;
  ExpectRaises("Winsys: Administrator-1");
  FakeTokens::sidBuilds = true;
  FakeTokens::sizeFails = false;
  ExpectRaises("Winsys: Administrator-2");
  FakeTokens::sizeFails = true;
  FakeTokens::groupsRead = false;
  ExpectRaises("Winsys: Administrator-3");
  // The identity is freed and the token closed on the error paths too.
  EXPECT_EQ(FakeTokens::freed, 2);
  EXPECT_EQ(FakeTokens::opened, 3);
  EXPECT_TRUE(FakeTokens::AllTokensClosed());
}

TEST_F(Administrator, FailedQueryStopsTheStartUpBeforeTheCleanUp) {
  const char* productKey = kProductKey + 1;
  UniqueKey key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, productKey, 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
            ERROR_SUCCESS);
  key.reset();
  FakeTokens::groupsRead = false;
  EXPECT_THROW(StartServicesWith(FakeTokens::Api()), SystemError);
  EXPECT_EQ(
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, productKey, 0, KEY_READ, key.put()),
      ERROR_SUCCESS);
  key.reset();
  FakeTokens::groupsRead = true;
  StartServicesWith(FakeTokens::Api());
  EXPECT_NE(
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, productKey, 0, KEY_READ, key.put()),
      ERROR_SUCCESS);
}

namespace {
BOOL WINAPI FailingVersionQuery(LPOSVERSIONINFOA) {
  SetLastError(ERROR_FILE_NOT_FOUND);
  return FALSE;
}
}  // namespace

TEST_F(Administrator, FailedVersionQueryIsReportedAndCountsAsNotNt) {
  EXPECT_FALSE(QueryWindowsVersionWith(FailingVersionQuery));
  EXPECT_EQ(boxes(), (std::vector<RecordedBox>{{"Windows Error: GetVersionEx",
                                                "File not found. ", MB_OK}}));
}

TEST(AdministratorOnThisSystem, WineListsTheAdministratorsGroup) {
  EXPECT_TRUE(QueryWindowsVersion());
  EXPECT_TRUE(IsAdministrator());
}
