// The registry adapter against the registry of the (Wine) system.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/win32_registry.h"
#include "win32/win32_fixture.h"

namespace comp_mgr {
namespace {

using win32_test::DeleteTree;

class Win32RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = "Software\\comp_mgr_tests\\" + std::to_string(GetCurrentProcessId()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_EQ(kErrorSuccess, reg_.CreateKey(kHkeyCurrentUser, base_, kKeyAllAccess, &key_));
    }
    void TearDown() override {
        if (key_) reg_.CloseKey(key_);
        DeleteTree(HKEY_CURRENT_USER, base_);
    }

    long SetString(RegHandle key, const char* name, const std::string& text) {
        return reg_.SetValue(key, name, kRegSz, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                             static_cast<std::uint32_t>(text.size() + 1));
    }
    std::vector<std::string> KeyNames(RegHandle key) {
        std::vector<std::string> names;
        for (std::uint32_t i = 0;; ++i) {
            char name[513];
            std::uint32_t size = sizeof name;
            if (reg_.EnumKey(key, i, name, &size) != kErrorSuccess) break;
            names.emplace_back(name, size);
        }
        return names;
    }

    Win32Registry reg_;
    std::string base_;
    RegHandle key_ = 0;
};

TEST_F(Win32RegistryTest, ValuesRoundTripWithTheirTypesAndSizes) {
    ASSERT_EQ(kErrorSuccess, SetString(key_, "target", "D:\\Vantrel\\db"));
    const std::uint32_t dword = 0x0000000a;
    ASSERT_EQ(kErrorSuccess,
              reg_.SetValue(key_, "Count", kRegDword, reinterpret_cast<const std::uint8_t*>(&dword), sizeof dword));
    const std::uint8_t blob[] = {1, 2, 0xff};
    ASSERT_EQ(kErrorSuccess, reg_.SetValue(key_, "Blob", kRegBinary, blob, sizeof blob));
    ASSERT_EQ(kErrorSuccess, SetString(key_, nullptr, "default value"));

    // A reopened handle sees them; the size alone is reported with null data.
    RegHandle again = 0;
    ASSERT_EQ(kErrorSuccess, reg_.OpenKey(kHkeyCurrentUser, base_, kKeyRead, &again));
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(kErrorSuccess, reg_.QueryValue(again, "TARGET", &type, nullptr, &size));
    EXPECT_EQ(kRegSz, type);
    EXPECT_EQ(14u, size);
    std::uint8_t data[512] = {};
    size = sizeof data;
    EXPECT_EQ(kErrorSuccess, reg_.QueryValue(again, "target", &type, data, &size));
    EXPECT_STREQ("D:\\Vantrel\\db", reinterpret_cast<char*>(data));
    // Too small a buffer.
    size = 5;
    EXPECT_EQ(kErrorMoreData, reg_.QueryValue(again, "target", &type, data, &size));
    EXPECT_EQ(14u, size);

    size = sizeof data;
    EXPECT_EQ(kErrorSuccess, reg_.QueryValue(again, "Count", &type, data, &size));
    EXPECT_EQ(kRegDword, type);
    std::uint32_t readBack = 0;
    std::memcpy(&readBack, data, sizeof readBack);
    EXPECT_EQ(dword, readBack);

    size = sizeof data;
    EXPECT_EQ(kErrorSuccess, reg_.QueryValue(again, "", &type, data, &size));
    EXPECT_STREQ("default value", reinterpret_cast<char*>(data));

    // Windows enumerates values in creation order, Wine in name order.
    std::vector<std::string> names;
    for (std::uint32_t i = 0;; ++i) {
        char name[64];
        std::uint32_t nameSize = sizeof name;
        long rc = reg_.EnumValue(again, i, name, &nameSize, nullptr, nullptr, nullptr);
        if (rc == kErrorNoMoreItems) break;
        ASSERT_EQ(kErrorSuccess, rc);
        names.emplace_back(name, nameSize);
    }
    if (win32_test::RunningOnWine()) {
        EXPECT_EQ((std::vector<std::string>{"", "Blob", "Count", "target"}), names);
    } else {
        EXPECT_EQ((std::vector<std::string>{"target", "Count", "Blob", ""}), names);
    }

    EXPECT_EQ(kErrorAccessDenied, reg_.DeleteValue(again, "Blob"));  // opened for reading
    EXPECT_EQ(kErrorSuccess, reg_.DeleteValue(key_, "Blob"));
    size = sizeof data;
    EXPECT_EQ(kErrorFileNotFound, reg_.QueryValue(again, "Blob", &type, data, &size));
    EXPECT_EQ(kErrorSuccess, reg_.CloseKey(again));
}

TEST_F(Win32RegistryTest, SubkeysComeInCaseInsensitiveOrderAndKeysWithChildrenStay) {
    for (const char* name : {"gamma", "Alpha", "beta", "Beta2"}) {
        RegHandle child = 0;
        ASSERT_EQ(kErrorSuccess, reg_.CreateKey(key_, name, kKeyAllAccess, &child));
        reg_.CloseKey(child);
    }
    EXPECT_EQ((std::vector<std::string>{"Alpha", "beta", "Beta2", "gamma"}), KeyNames(key_));

    // Several components at once, and opening an absent key.
    RegHandle deep = 0;
    ASSERT_EQ(kErrorSuccess, reg_.CreateKey(key_, "gamma\\one\\two", kKeyAllAccess, &deep));
    reg_.CloseKey(deep);
    RegHandle absent = 1234;
    EXPECT_EQ(kErrorFileNotFound, reg_.OpenKey(key_, "delta\\one", kKeyRead, &absent));
    EXPECT_EQ(0u, absent);

    EXPECT_NE(kErrorSuccess, reg_.DeleteKey(key_, "gamma\\one"));  // has "two"
    EXPECT_EQ(kErrorSuccess, reg_.DeleteKey(key_, "gamma\\one\\two"));
    EXPECT_EQ(kErrorSuccess, reg_.DeleteKey(key_, "gamma\\one"));
    EXPECT_EQ(kErrorSuccess, reg_.DeleteKey(key_, "Alpha"));
    EXPECT_EQ((std::vector<std::string>{"beta", "Beta2", "gamma"}), KeyNames(key_));
    // An empty name never deletes the key the handle stands for.
    EXPECT_NE(kErrorSuccess, reg_.DeleteKey(key_, ""));
    EXPECT_EQ(3u, KeyNames(key_).size());
}

TEST_F(Win32RegistryTest, EnumerationNameBuffersBehaveAsAdvapi32) {
    // Value names: a 513-byte buffer takes a 512-character name, not a longer one.
    const std::string name512(512, 'v');
    const std::string name513(513, 'w');
    ASSERT_EQ(kErrorSuccess, SetString(key_, name512.c_str(), "a"));
    ASSERT_EQ(kErrorSuccess, SetString(key_, name513.c_str(), "b"));
    char name[600];
    std::uint32_t size = 513;
    EXPECT_EQ(kErrorSuccess, reg_.EnumValue(key_, 0, name, &size, nullptr, nullptr, nullptr));
    EXPECT_EQ(512u, size);
    EXPECT_EQ(name512, std::string(name));
    size = 513;
    EXPECT_EQ(kErrorMoreData, reg_.EnumValue(key_, 1, name, &size, nullptr, nullptr, nullptr));

    // Key names (the system keeps them short): the terminator needs its byte.
    const std::string keyName(200, 'k');
    RegHandle child = 0;
    ASSERT_EQ(kErrorSuccess, reg_.CreateKey(key_, keyName, kKeyAllAccess, &child));
    reg_.CloseKey(child);
    size = 200;
    EXPECT_EQ(kErrorMoreData, reg_.EnumKey(key_, 0, name, &size));
    size = 201;
    EXPECT_EQ(kErrorSuccess, reg_.EnumKey(key_, 0, name, &size));
    EXPECT_EQ(200u, size);
    size = 513;
    EXPECT_EQ(kErrorNoMoreItems, reg_.EnumKey(key_, 1, name, &size));
}

TEST_F(Win32RegistryTest, PredefinedRootsMapToTheSystemHives) {
    RegHandle classes = 0;
    EXPECT_EQ(kErrorSuccess, reg_.OpenKey(kHkeyClassesRoot, "CLSID", kKeyRead, &classes));
    EXPECT_EQ(kErrorSuccess, reg_.CloseKey(classes));
    RegHandle software = 0;
    EXPECT_EQ(kErrorSuccess, reg_.OpenKey(kHkeyLocalMachine, "SOFTWARE", kKeyRead, &software));
    EXPECT_EQ(kErrorSuccess, reg_.CloseKey(software));
    // An empty sub-key opens a new handle on the root; closing a root is harmless.
    RegHandle root = 0;
    EXPECT_EQ(kErrorSuccess, reg_.OpenKey(kHkeyCurrentUser, "", kKeyRead, &root));
    EXPECT_NE(0u, root);
    reg_.CloseKey(root);
    EXPECT_EQ(kErrorSuccess, reg_.CloseKey(kHkeyLocalMachine));
    RegHandle stillThere = 0;
    EXPECT_EQ(kErrorSuccess, reg_.OpenKey(kHkeyLocalMachine, "SOFTWARE", kKeyRead, &stillThere));
    reg_.CloseKey(stillThere);
}

TEST_F(Win32RegistryTest, NullArgumentsAreRefusedNotFollowed) {
    EXPECT_EQ(kErrorInvalidParameter, reg_.OpenKey(key_, "x", kKeyRead, nullptr));
    EXPECT_EQ(kErrorInvalidParameter, reg_.CreateKey(key_, "x", kKeyRead, nullptr));
    std::uint32_t size = 10;
    EXPECT_EQ(kErrorInvalidParameter, reg_.EnumKey(key_, 0, nullptr, &size));
    EXPECT_EQ(kErrorInvalidParameter, reg_.SetValue(key_, "x", kRegSz, nullptr, 4));
}

}  // namespace
}  // namespace comp_mgr
