// Deleting a key tree that holds a registry link: the link goes as a link,
// and what it points to stays.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "system_services/registry.h"
#include "system_services/unique_handle.h"

using namespace services;

namespace {
const std::string kTree = "Software\\LexivaneLinkTest";
const std::string kTarget = "Software\\LexivaneLinkTarget";

void CreateKey(const std::string& path, DWORD options = 0,
               UniqueKey* opened = nullptr) {
  UniqueKey key;
  ASSERT_EQ(
      RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, options,
                      KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
      ERROR_SUCCESS)
      << path;
  if (opened) *opened = std::move(key);
}

// A link at path to the machine's key at target.
void CreateLink(const std::string& path, const std::string& target) {
  UniqueKey link;
  CreateKey(path, REG_OPTION_CREATE_LINK, &link);
  std::string nt = "\\Registry\\Machine\\" + target;
  std::wstring value(nt.begin(), nt.end());
  ASSERT_EQ(RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK,
                           reinterpret_cast<const BYTE*>(value.data()),
                           static_cast<DWORD>(value.size() * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

bool KeyExists(const std::string& path) {
  UniqueKey key;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ,
                       key.put()) == ERROR_SUCCESS;
}
// Whatever an earlier run left, links included.
void RemoveBothTrees() {
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTree.c_str());
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTarget.c_str());
}
}  // namespace

TEST(DeleteRegistryTree, RemovesALinkAsALinkNeverItsTarget) {
  RemoveBothTrees();
  CreateKey(kTarget + "\\Inside");
  CreateKey(kTree + "\\Plain");
  CreateLink(kTree + "\\Link", kTarget);
  CreateLink(kTree + "\\Plain\\Deeper", kTarget);
  ASSERT_TRUE(KeyExists(kTree + "\\Link\\Inside"));  // the link works

  DeleteRegistryTree("\\" + kTree, true);
  EXPECT_FALSE(KeyExists(kTree));
  EXPECT_TRUE(KeyExists(kTarget + "\\Inside"));
  RemoveBothTrees();
}
