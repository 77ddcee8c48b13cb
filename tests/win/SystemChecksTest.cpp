// Version code and administrator membership.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "checks/SystemChecks.h"

using namespace lorent;

namespace {

TEST(VersionCodeFor, MapsReportedVersions) {
  struct Case {
    DWORD major, minor;
    int code;
  } cases[] = {
      {4, 0, 0},    {4, 10, 0},   {5, 0, 0},    {5, 1, 0x51}, {5, 2, 0},    {5, 3, 0},
      {6, 0, 0x60}, {6, 1, 0x61}, {6, 2, 0x62}, {6, 3, 0x62}, {6, 4, 0x62}, {10, 0, 0x62},
      {7, 0, 0x62}, {0, 0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(VersionCodeFor(c.major, c.minor), c.code) << c.major << "." << c.minor;
}

// The code expected for the Windows version Wine pretends to be is passed in
// LORENT_EXPECT_VERSION_CODE by tests/win/wine-version.sh.
TEST(GetOSVersionCode, GivesTheCodeOfTheReportedVersion) {
  const char* expected = std::getenv("LORENT_EXPECT_VERSION_CODE");
  ASSERT_NE(expected, nullptr) << "run through tests/win/wine-version.sh";
  EXPECT_EQ(GetOSVersionCode(), static_cast<int>(std::strtol(expected, nullptr, 0)));
}

// The Wine user is an elevated administrator.
TEST(IsUserAdministrator, TrueForTheWineUser) { EXPECT_TRUE(IsUserAdministrator()); }

// A member whose rights are not in force (the group only for deny checks)
// still counts.
TEST(IsTokenAdministrator, DenyOnlyMembershipCounts) {
  HANDLE process = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &process));
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                       0, 0, &administrators));
  SID_AND_ATTRIBUTES deny = {administrators, 0};
  HANDLE restricted = nullptr;
  ASSERT_TRUE(CreateRestrictedToken(process, 0, 1, &deny, 0, nullptr, 0, nullptr, &restricted));

  // The group is there, but for deny checks only.
  DWORD size = 0;
  GetTokenInformation(restricted, TokenGroups, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  ASSERT_TRUE(GetTokenInformation(restricted, TokenGroups, buffer.data(), size, &size));
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  bool denyOnly = false;
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    if (EqualSid(groups->Groups[i].Sid, administrators)) denyOnly = (groups->Groups[i].Attributes & SE_GROUP_USE_FOR_DENY_ONLY) != 0;
  }
  EXPECT_TRUE(denyOnly);
  EXPECT_TRUE(IsTokenAdministrator(restricted));

  FreeSid(administrators);
  CloseHandle(restricted);
  CloseHandle(process);
}

TEST(IsTokenAdministrator, FalseWhenTheGroupsCannotBeRead) {
  HANDLE process = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &process));
  HANDLE noQuery = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), process, GetCurrentProcess(), &noQuery, TOKEN_DUPLICATE, FALSE, 0));
  EXPECT_FALSE(IsTokenAdministrator(noQuery));
  EXPECT_FALSE(IsTokenAdministrator(nullptr));
  CloseHandle(noQuery);
  CloseHandle(process);
}

}  // namespace
