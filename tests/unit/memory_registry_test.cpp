#include "platform/memory/memory_registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace comp_mgr {
namespace {

std::string EnumKeyName(Registry& reg, RegHandle key, std::uint32_t index, long* rc) {
    char name[256];
    std::uint32_t size = sizeof(name);
    *rc = reg.EnumKey(key, index, name, &size);
    return *rc == kErrorSuccess ? std::string(name, size) : std::string();
}

std::vector<std::string> AllSubkeys(Registry& reg, RegHandle key) {
    std::vector<std::string> names;
    for (std::uint32_t i = 0;; ++i) {
        long rc;
        std::string n = EnumKeyName(reg, key, i, &rc);
        if (rc != kErrorSuccess) {
            EXPECT_EQ(kErrorNoMoreItems, rc);
            break;
        }
        names.push_back(n);
    }
    return names;
}

TEST(MemoryRegistry, CreateOpenAndPathsAreCaseInsensitiveButPreserveCase) {
    MemoryRegistry reg;
    ScopedKey made(reg);
    ASSERT_EQ(kErrorSuccess, reg.CreateKey(kHkeyLocalMachine, "SOFTWARE\\Kovra\\Vantrel", kKeyAllAccess, made.out()));
    ScopedKey opened(reg);
    EXPECT_EQ(kErrorSuccess, reg.OpenKey(kHkeyLocalMachine, "software\\KOVRA\\vantrel\\", kKeyRead, opened.out()));
    EXPECT_EQ(kErrorFileNotFound, reg.OpenKey(kHkeyLocalMachine, "SOFTWARE\\Missing", kKeyRead, opened.out()));
    EXPECT_EQ(0u, opened.get());
    EXPECT_EQ(kErrorBadPathname, reg.OpenKey(kHkeyLocalMachine, "\\SOFTWARE", kKeyRead, opened.out()));
    EXPECT_EQ(kErrorBadPathname, reg.CreateKey(kHkeyLocalMachine, "A\\\\B", kKeyRead, opened.out()));
    EXPECT_FALSE(reg.KeyExists(kHkeyLocalMachine, "A"));  // nothing made by a refused path
    EXPECT_EQ(kErrorInvalidParameter, reg.CreateKey(kHkeyLocalMachine, std::string(256, 'k'), kKeyRead, opened.out()));

    // A second CreateKey with other case opens the same key and keeps the first case.
    ASSERT_EQ(kErrorSuccess, reg.CreateKey(kHkeyLocalMachine, "software\\KOVRA", kKeyAllAccess, opened.out()));
    EXPECT_EQ(std::vector<std::string>{"Vantrel"}, reg.SubkeyNames(kHkeyLocalMachine, "SOFTWARE\\Kovra"));
    EXPECT_EQ(std::vector<std::string>{"Kovra"}, reg.SubkeyNames(kHkeyLocalMachine, "SOFTWARE"));

    // An empty subkey opens a new handle to the same key.
    ScopedKey again(reg);
    ASSERT_EQ(kErrorSuccess, reg.OpenKey(made.get(), "", kKeyAllAccess, again.out()));
    EXPECT_NE(made.get(), again.get());
    std::uint32_t one = 1;
    ASSERT_EQ(kErrorSuccess, reg.SetValue(again.get(), "V", kRegDword, reinterpret_cast<const std::uint8_t*>(&one), 4));
    EXPECT_TRUE(reg.ValueExists(kHkeyLocalMachine, "SOFTWARE\\Kovra\\Vantrel", "v"));
}

TEST(MemoryRegistry, ClassesRootIsTheClassesKeyOfLocalMachineAndCurrentUserIsSeparate) {
    MemoryRegistry reg;
    ScopedKey key(reg);
    EXPECT_EQ(kErrorFileNotFound, reg.OpenKey(kHkeyClassesRoot, "CLSID", kKeyRead, key.out()));
    long rc;
    EnumKeyName(reg, kHkeyClassesRoot, 0, &rc);
    EXPECT_EQ(kErrorNoMoreItems, rc);

    ASSERT_EQ(kErrorSuccess, reg.CreateKey(kHkeyClassesRoot, "CLSID\\{X}", kKeyAllAccess, key.out()));
    EXPECT_TRUE(reg.KeyExists(kHkeyLocalMachine, "Software\\Classes\\clsid\\{x}"));
    reg.SetString(kHkeyLocalMachine, "SOFTWARE\\Classes\\.txt", "", "txtfile");
    std::string v;
    EXPECT_TRUE(reg.GetString(kHkeyClassesRoot, ".TXT", "", &v));
    EXPECT_EQ("txtfile", v);
    EXPECT_EQ((std::vector<std::string>{".txt", "CLSID"}), AllSubkeys(reg, kHkeyClassesRoot));

    EXPECT_FALSE(reg.KeyExists(kHkeyCurrentUser, "SOFTWARE\\Classes"));
    reg.SetString(kHkeyCurrentUser, "Software\\Kovra", "x", "user");
    EXPECT_FALSE(reg.KeyExists(kHkeyLocalMachine, "Software\\Kovra"));
}

TEST(MemoryRegistry, SubkeysEnumerateInCaseInsensitiveOrderValuesInCreationOrder) {
    MemoryRegistry reg;
    for (const char* n : {"beta", "Alpha", "_under", "GAMMA", "alpha2", "Zed", "1st"}) {
        reg.CreatePath(kHkeyLocalMachine, std::string("K\\") + n);
    }
    ScopedKey k(reg);
    ASSERT_EQ(kErrorSuccess, reg.OpenKey(kHkeyLocalMachine, "K", kKeyRead, k.out()));
    // _stricmp order: digits, letters folded to lower case, then '_' after 'Z' but before 'a'
    // in upper case terms would differ; lower-case folding puts '_' (0x5F) before 'a' (0x61).
    EXPECT_EQ((std::vector<std::string>{"1st", "_under", "Alpha", "alpha2", "beta", "GAMMA", "Zed"}),
              AllSubkeys(reg, k.get()));

    for (const char* n : {"zz", "aa", "Mm", ""}) reg.SetString(kHkeyLocalMachine, "K", n, n);
    reg.SetString(kHkeyLocalMachine, "K", "AA", "replaced");  // keeps place and name case
    EXPECT_EQ((std::vector<std::string>{"zz", "aa", "Mm", ""}), reg.ValueNames(kHkeyLocalMachine, "K"));
    std::string v;
    EXPECT_TRUE(reg.GetString(kHkeyLocalMachine, "K", "aa", &v));
    EXPECT_EQ("replaced", v);
}

TEST(MemoryRegistry, EnumKeyBufferSizesCountTheTerminator) {
    MemoryRegistry reg;
    reg.CreatePath(kHkeyLocalMachine, "K\\abcde");
    ScopedKey k(reg);
    ASSERT_EQ(kErrorSuccess, reg.OpenKey(kHkeyLocalMachine, "K", kKeyRead, k.out()));
    char name[8];
    std::uint32_t size = 5;  // five characters need six
    EXPECT_EQ(kErrorMoreData, reg.EnumKey(k.get(), 0, name, &size));
    size = 6;
    ASSERT_EQ(kErrorSuccess, reg.EnumKey(k.get(), 0, name, &size));
    EXPECT_EQ(5u, size);
    EXPECT_STREQ("abcde", name);
    size = 8;
    EXPECT_EQ(kErrorNoMoreItems, reg.EnumKey(k.get(), 1, name, &size));
    EXPECT_EQ(kErrorInvalidParameter, reg.EnumKey(k.get(), 0, nullptr, &size));
    EXPECT_EQ(kErrorInvalidParameter, reg.EnumKey(k.get(), 0, name, nullptr));
}

TEST(MemoryRegistry, EnumValueAndQueryValueReportSizesAndMoreData) {
    MemoryRegistry reg;
    reg.SetRaw(kHkeyLocalMachine, "K", "Name", kRegSz, std::string("abc", 3));  // stored without terminator
    reg.SetString(kHkeyLocalMachine, "K", "", "dflt");
    ScopedKey k(reg);
    ASSERT_EQ(kErrorSuccess, reg.OpenKey(kHkeyLocalMachine, "K", kKeyRead, k.out()));

    char name[5];
    std::uint32_t nameSize = 4, type = 0, dataSize = 0;
    EXPECT_EQ(kErrorMoreData, reg.EnumValue(k.get(), 0, name, &nameSize, &type, nullptr, &dataSize));
    nameSize = 5;
    ASSERT_EQ(kErrorSuccess, reg.EnumValue(k.get(), 0, name, &nameSize, &type, nullptr, &dataSize));
    EXPECT_EQ(4u, nameSize);
    EXPECT_EQ(kRegSz, type);
    EXPECT_EQ(3u, dataSize);  // as stored: no terminator added

    std::uint8_t data[8] = {};
    dataSize = 2;
    nameSize = 5;
    EXPECT_EQ(kErrorMoreData, reg.EnumValue(k.get(), 0, name, &nameSize, &type, data, &dataSize));
    EXPECT_EQ(3u, dataSize);
    nameSize = 5;
    dataSize = 8;
    ASSERT_EQ(kErrorSuccess, reg.EnumValue(k.get(), 1, name, &nameSize, nullptr, data, &dataSize));
    EXPECT_EQ(0u, nameSize);
    EXPECT_EQ(5u, dataSize);
    EXPECT_EQ(0, std::memcmp(data, "dflt", 5));
    nameSize = 5;
    EXPECT_EQ(kErrorNoMoreItems, reg.EnumValue(k.get(), 2, name, &nameSize, nullptr, nullptr, nullptr));

    dataSize = 0;
    ASSERT_EQ(kErrorSuccess, reg.QueryValue(k.get(), nullptr, &type, nullptr, &dataSize));
    EXPECT_EQ(5u, dataSize);
    dataSize = 4;
    EXPECT_EQ(kErrorMoreData, reg.QueryValue(k.get(), "", &type, data, &dataSize));
    EXPECT_EQ(5u, dataSize);
    EXPECT_EQ(kErrorInvalidParameter, reg.QueryValue(k.get(), "", &type, data, nullptr));
    EXPECT_EQ(kErrorFileNotFound, reg.QueryValue(k.get(), "nope", &type, nullptr, &dataSize));
    EXPECT_EQ(kErrorSuccess, reg.QueryValue(k.get(), "NAME", nullptr, nullptr, nullptr));
}

TEST(MemoryRegistry, AccessMaskIsEnforcedForValues) {
    MemoryRegistry reg;
    reg.SetString(kHkeyLocalMachine, "K", "v", "x");
    ScopedKey readOnly(reg), writeOnly(reg), generic(reg);
    ASSERT_EQ(kErrorSuccess, reg.OpenKey(kHkeyLocalMachine, "K", kKeyRead, readOnly.out()));
    ASSERT_EQ(kErrorSuccess, reg.OpenKey(kHkeyLocalMachine, "K", kKeyWrite, writeOnly.out()));
    ASSERT_EQ(kErrorSuccess, reg.OpenKey(kHkeyLocalMachine, "K", 0x80000000u, generic.out()));  // GENERIC_READ
    const std::uint8_t b = 1;
    EXPECT_EQ(kErrorAccessDenied, reg.SetValue(readOnly.get(), "v", kRegBinary, &b, 1));
    EXPECT_EQ(kErrorAccessDenied, reg.DeleteValue(readOnly.get(), "v"));
    EXPECT_EQ(kErrorAccessDenied, reg.QueryValue(writeOnly.get(), "v", nullptr, nullptr, nullptr));
    EXPECT_EQ(kErrorSuccess, reg.QueryValue(generic.get(), "v", nullptr, nullptr, nullptr));
    EXPECT_EQ(kErrorSuccess, reg.SetValue(writeOnly.get(), "v", kRegBinary, &b, 1));
    EXPECT_EQ(kErrorInvalidParameter, reg.SetValue(writeOnly.get(), "v", kRegBinary, nullptr, 4));
    EXPECT_EQ(kErrorSuccess, reg.SetValue(writeOnly.get(), "empty", kRegBinary, nullptr, 0));
}

TEST(MemoryRegistry, DeleteKeyRefusesSubkeysAndInvalidatesOpenHandles) {
    MemoryRegistry reg;
    reg.SetString(kHkeyLocalMachine, "A\\B\\C", "v", "x");
    ScopedKey c(reg);
    ASSERT_EQ(kErrorSuccess, reg.OpenKey(kHkeyLocalMachine, "A\\B\\C", kKeyAllAccess, c.out()));

    EXPECT_EQ(kErrorAccessDenied, reg.DeleteKey(kHkeyLocalMachine, "A\\B"));
    EXPECT_EQ(kErrorFileNotFound, reg.DeleteKey(kHkeyLocalMachine, "A\\X"));
    EXPECT_EQ(kErrorAccessDenied, reg.DeleteKey(kHkeyLocalMachine, ""));  // a hive root
    ASSERT_EQ(kErrorSuccess, reg.DeleteKey(kHkeyLocalMachine, "a\\b\\c"));
    EXPECT_FALSE(reg.KeyExists(kHkeyLocalMachine, "A\\B\\C"));

    // The handle fails cleanly, even after a key of that name is made again.
    reg.CreatePath(kHkeyLocalMachine, "A\\B\\C");
    std::uint32_t size = 0;
    EXPECT_EQ(kErrorInvalidHandle, reg.QueryValue(c.get(), "v", nullptr, nullptr, &size));
    const std::uint8_t b = 1;
    EXPECT_EQ(kErrorInvalidHandle, reg.SetValue(c.get(), "v", kRegBinary, &b, 1));
    RegHandle sub = 0;
    EXPECT_EQ(kErrorInvalidHandle, reg.CreateKey(c.get(), "D", kKeyAllAccess, &sub));
    EXPECT_FALSE(reg.ValueExists(kHkeyLocalMachine, "A\\B\\C", "v"));
    EXPECT_EQ(kErrorSuccess, reg.CloseKey(c.get()));
    EXPECT_EQ(kErrorInvalidHandle, reg.CloseKey(c.get()));
    *c.out() = 0;

    // A key may delete itself through an empty subkey.
    ScopedKey self(reg);
    ASSERT_EQ(kErrorSuccess, reg.OpenKey(kHkeyLocalMachine, "A\\B\\C", kKeyAllAccess, self.out()));
    EXPECT_EQ(kErrorSuccess, reg.DeleteKey(self.get(), ""));
    EXPECT_FALSE(reg.KeyExists(kHkeyLocalMachine, "A\\B\\C"));

    ScopedKey a(reg);
    ASSERT_EQ(kErrorSuccess, reg.OpenKey(kHkeyLocalMachine, "A", kKeyAllAccess, a.out()));
    EXPECT_TRUE(reg.RemoveTree(kHkeyLocalMachine, "A"));
    char name[16];
    std::uint32_t n = 16;
    EXPECT_EQ(kErrorInvalidHandle, reg.EnumKey(a.get(), 0, name, &n));
    EXPECT_EQ(kErrorInvalidHandle, reg.OpenKey(12345, "", kKeyRead, &sub));
}

// A chain far deeper than any stack, taken apart piece by piece: removed as a
// tree, removed while a handle holds a key in its middle, and at destruction.
TEST(MemoryRegistry, DeepChainsAreRemovedAndDestroyedWithoutRecursion) {
    std::string path = "x";
    for (int i = 1; i < 200000; ++i) path += "\\x";
    const std::string middle = path.substr(0, 2 * 100000 - 1);
    auto reg = std::make_unique<MemoryRegistry>();
    ASSERT_NE(nullptr, reg->CreatePath(kHkeyLocalMachine, "A\\" + path));
    ASSERT_NE(nullptr, reg->CreatePath(kHkeyLocalMachine, "B\\" + path));
    ASSERT_NE(nullptr, reg->CreatePath(kHkeyLocalMachine, "C\\" + path));
    EXPECT_TRUE(reg->RemoveTree(kHkeyLocalMachine, "A"));
    EXPECT_FALSE(reg->KeyExists(kHkeyLocalMachine, "A"));

    ScopedKey held(*reg);
    ASSERT_EQ(kErrorSuccess, reg->OpenKey(kHkeyLocalMachine, "B\\" + middle, kKeyRead, held.out()));
    EXPECT_TRUE(reg->RemoveTree(kHkeyLocalMachine, "B"));
    char name[8];
    std::uint32_t size = sizeof name;
    EXPECT_EQ(kErrorInvalidHandle, reg->EnumKey(held.get(), 0, name, &size));
    EXPECT_EQ(kErrorSuccess, reg->CloseKey(held.get()));  // the held half goes here
    *held.out() = 0;
    reg.reset();  // C goes with the registry
}

TEST(MemoryRegistry, ChangeCountMovesOnlyOnRealChanges) {
    MemoryRegistry reg;
    std::uint64_t start = reg.changeCount();
    ScopedKey k(reg);
    ASSERT_EQ(kErrorSuccess, reg.CreateKey(kHkeyLocalMachine, "K", kKeyAllAccess, k.out()));
    std::uint64_t afterCreate = reg.changeCount();
    EXPECT_GT(afterCreate, start);
    ASSERT_EQ(kErrorSuccess, reg.CreateKey(kHkeyLocalMachine, "k", kKeyAllAccess, k.out()));
    EXPECT_EQ(afterCreate, reg.changeCount());  // opening an existing key changes nothing

    const std::uint8_t x[2] = {1, 2};
    reg.SetValue(k.get(), "v", kRegBinary, x, 2);
    std::uint64_t afterSet = reg.changeCount();
    EXPECT_GT(afterSet, afterCreate);
    reg.SetValue(k.get(), "V", kRegBinary, x, 2);
    EXPECT_EQ(afterSet, reg.changeCount());
    reg.SetValue(k.get(), "V", kRegNone, x, 2);  // a type change is a change
    EXPECT_GT(reg.changeCount(), afterSet);
    afterSet = reg.changeCount();
    EXPECT_EQ(kErrorFileNotFound, reg.DeleteValue(k.get(), "missing"));
    EXPECT_EQ(afterSet, reg.changeCount());
    std::uint32_t size = 0;
    reg.QueryValue(k.get(), "v", nullptr, nullptr, &size);
    EXPECT_EQ(afterSet, reg.changeCount());
    EXPECT_EQ(kErrorSuccess, reg.DeleteValue(k.get(), "v"));
    EXPECT_GT(reg.changeCount(), afterSet);
}

TEST(MemoryRegistry, ManyValuesStayFindableAcrossDeletions) {
    MemoryRegistry reg;
    MemoryRegistry::Key* key = reg.CreatePath(kHkeyLocalMachine, "K");
    ASSERT_NE(nullptr, key);
    for (int i = 0; i < 100; ++i) reg.PutValue(key, "Value" + std::to_string(i), kRegDword, std::string(4, char(i)));
    ScopedKey k(reg);
    ASSERT_EQ(kErrorSuccess, reg.OpenKey(kHkeyLocalMachine, "K", kKeyAllAccess, k.out()));
    for (int i = 0; i < 100; i += 3)
        ASSERT_EQ(kErrorSuccess, reg.DeleteValue(k.get(), ("VALUE" + std::to_string(i)).c_str()));
    std::vector<std::string> names = reg.ValueNames(kHkeyLocalMachine, "K");
    ASSERT_EQ(66u, names.size());
    EXPECT_EQ("Value1", names.front());
    EXPECT_EQ("Value98", names.back());
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(i % 3 != 0, reg.ValueExists(kHkeyLocalMachine, "K", "value" + std::to_string(i))) << i;
    }
    std::uint32_t v = 0;
    ASSERT_TRUE(reg.GetDword(kHkeyLocalMachine, "K", "Value50", &v));
    EXPECT_EQ(0x32323232u, v);
}

TEST(MemoryRegistry, TenThousandSiblingsOpenAndEnumerate) {
    MemoryRegistry reg;
    for (int i = 9999; i >= 0; --i) reg.CreatePath(kHkeyLocalMachine, "Big\\Key" + std::to_string(100000 + i));
    ScopedKey big(reg);
    ASSERT_EQ(kErrorSuccess, reg.OpenKey(kHkeyLocalMachine, "BIG", kKeyRead, big.out()));
    std::vector<std::string> names = AllSubkeys(reg, big.get());
    ASSERT_EQ(10000u, names.size());
    for (std::size_t i = 1; i < names.size(); ++i) ASSERT_LT(names[i - 1], names[i]);
    ScopedKey one(reg);
    EXPECT_EQ(kErrorSuccess, reg.OpenKey(big.get(), "key105000", kKeyRead, one.out()));
}

TEST(MemoryRegistry, ClearInvalidatesHandlesAndEmptiesHives) {
    MemoryRegistry reg;
    reg.SetString(kHkeyCurrentUser, "U", "a", "b");
    ScopedKey u(reg);
    ASSERT_EQ(kErrorSuccess, reg.OpenKey(kHkeyCurrentUser, "U", kKeyRead, u.out()));
    reg.Clear();
    EXPECT_FALSE(reg.KeyExists(kHkeyCurrentUser, "U"));
    EXPECT_EQ(kErrorInvalidHandle, reg.QueryValue(u.get(), "a", nullptr, nullptr, nullptr));
    EXPECT_EQ(0u, reg.Root(kHkeyCurrentUser)->subkeyCount());
}

}  // namespace
}  // namespace comp_mgr
