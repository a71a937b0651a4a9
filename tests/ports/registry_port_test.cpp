// The Registry port (platform/registry.h) against every adapter of the build,
// under a scratch key of HKEY_CURRENT_USER.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ports/adapters_under_test.h"

namespace comp_mgr {
namespace ports_test {
namespace {

template <class Adapter>
class RegistryPort : public PortTest<Adapter> {
protected:
    void SetUp() override {
        base_ = "Software\\comp_mgr_ports\\" + this->adapter.ScratchName();
        ASSERT_EQ(kErrorSuccess, reg().CreateKey(kHkeyCurrentUser, base_, kKeyAllAccess, &key_));
    }
    void TearDown() override {
        if (key_) reg().CloseKey(key_);
    }

    Registry& reg() { return this->adapter.registry(); }

    // A subkey of the scratch key, made with every right.
    RegHandle Make(const std::string& path) {
        RegHandle made = 0;
        EXPECT_EQ(kErrorSuccess, reg().CreateKey(key_, path, kKeyAllAccess, &made)) << path;
        return made;
    }
    long SetBytes(RegHandle key, const char* name, std::uint32_t type, const std::string& bytes) {
        return reg().SetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                              static_cast<std::uint32_t>(bytes.size()));
    }
    std::vector<std::string> SubkeyNames(RegHandle key) {
        std::vector<std::string> names;
        for (std::uint32_t i = 0;; ++i) {
            char name[300];
            std::uint32_t size = sizeof name;
            long rc = reg().EnumKey(key, i, name, &size);
            if (rc != kErrorSuccess) {
                EXPECT_EQ(kErrorNoMoreItems, rc);
                break;
            }
            names.emplace_back(name, size);
        }
        return names;
    }
    std::vector<std::string> ValueNames(RegHandle key) {
        std::vector<std::string> names;
        for (std::uint32_t i = 0;; ++i) {
            char name[300];
            std::uint32_t size = sizeof name;
            long rc = reg().EnumValue(key, i, name, &size, nullptr, nullptr, nullptr);
            if (rc != kErrorSuccess) {
                EXPECT_EQ(kErrorNoMoreItems, rc);
                break;
            }
            names.emplace_back(name, size);
        }
        return names;
    }
    // The value's type and bytes; type kRegNone and "<missing>" without one.
    std::string Query(RegHandle key, const char* name, std::uint32_t* type) {
        std::uint8_t data[512];
        std::uint32_t size = sizeof data;
        *type = kRegNone;
        if (reg().QueryValue(key, name, type, data, &size) != kErrorSuccess) return "<missing>";
        return std::string(reinterpret_cast<const char*>(data), size);
    }

    std::string base_;
    RegHandle key_ = 0;
};

TYPED_TEST_SUITE(RegistryPort, AdaptersUnderTest, AdapterNames);

TYPED_TEST(RegistryPort, OpeningAMissingKeyFailsAndCreateMakesEveryComponent) {
    Registry& reg = this->reg();
    RegHandle h = 1234;
    EXPECT_EQ(kErrorFileNotFound, reg.OpenKey(this->key_, "One\\Two", kKeyRead, &h));
    EXPECT_EQ(0u, h);

    RegHandle two = this->Make("One\\Two");
    ASSERT_NE(0u, two);
    EXPECT_EQ(kErrorSuccess, reg.CloseKey(two));
    // Names are case-insensitive; the first case made stays.
    ScopedKey again(reg);
    EXPECT_EQ(kErrorSuccess, reg.OpenKey(kHkeyCurrentUser, this->base_ + "\\ONE\\two", kKeyRead, again.out()));
    EXPECT_EQ(kErrorSuccess, reg.OpenKey(this->key_, "one\\TWO\\", kKeyRead, again.out()));  // a trailing backslash
    EXPECT_EQ(kErrorSuccess, reg.CreateKey(this->key_, "ONE", kKeyAllAccess, again.out()));
    EXPECT_EQ((std::vector<std::string>{"One"}), this->SubkeyNames(this->key_));
    EXPECT_EQ((std::vector<std::string>{"Two"}), this->SubkeyNames(again.get()));

    // An empty subkey opens a new handle to the same key.
    ScopedKey same(reg);
    ASSERT_EQ(kErrorSuccess, reg.OpenKey(again.get(), "", kKeyRead, same.out()));
    EXPECT_NE(again.get(), same.get());
    EXPECT_EQ((std::vector<std::string>{"Two"}), this->SubkeyNames(same.get()));
}

TYPED_TEST(RegistryPort, MalformedSubkeyPathsAreRefused) {
    Registry& reg = this->reg();
    RegHandle h = 1234;
    EXPECT_EQ(kErrorBadPathname, reg.OpenKey(this->key_, "\\One", kKeyRead, &h));
    EXPECT_EQ(0u, h);
    EXPECT_EQ(kErrorBadPathname, reg.CreateKey(this->key_, "\\One", kKeyAllAccess, &h));
    EXPECT_EQ(kErrorInvalidParameter, reg.CreateKey(this->key_, std::string(257, 'k'), kKeyAllAccess, &h));
    EXPECT_TRUE(this->SubkeyNames(this->key_).empty());  // nothing made by a refused path
    ScopedKey made(reg);
    EXPECT_EQ(kErrorSuccess, reg.CreateKey(this->key_, std::string(255, 'k'), kKeyAllAccess, made.out()));
    EXPECT_EQ(kErrorSuccess, reg.CreateKey(this->key_, "Trailing\\", kKeyAllAccess, made.out()));
    EXPECT_EQ((std::vector<std::string>{std::string(255, 'k'), "Trailing"}), this->SubkeyNames(this->key_));
}

// The in-memory registry refuses what memory_registry.h says Windows refuses;
// Wine takes an empty component as none and a name of 256 characters.
TYPED_TEST(RegistryPort, AnEmptyComponentOrA256CharacterName) {
    Registry& reg = this->reg();
    ScopedKey made(reg);
    const Answers<long> emptyComponent(kErrorBadPathname, kErrorBadPathname, kErrorBadPathname, kErrorSuccess);
    EXPECT_EQ(this->Answer(emptyComponent), reg.CreateKey(this->key_, "A\\\\B", kKeyAllAccess, made.out()));
    const Answers<long> longName(kErrorInvalidParameter, kErrorInvalidParameter, kErrorInvalidParameter, kErrorSuccess);
    EXPECT_EQ(this->Answer(longName), reg.CreateKey(this->key_, std::string(256, 'k'), kKeyAllAccess, made.out()));
    const Answers<std::vector<std::string>> keys({}, {}, {}, {"A", std::string(256, 'k')});
    EXPECT_EQ(this->Answer(keys), this->SubkeyNames(this->key_));
    const Answers<std::vector<std::string>> below({}, {}, {}, {"B"});
    ScopedKey a(reg);
    reg.OpenKey(this->key_, "A", kKeyRead, a.out());
    EXPECT_EQ(this->Answer(below), a ? this->SubkeyNames(a.get()) : std::vector<std::string>());
}

TYPED_TEST(RegistryPort, SubkeysComeInCaseInsensitiveNameOrder) {
    for (const char* name : {"gamma", "Alpha", "beta", "Beta2", "1st", "Zed", "_under", "alpha2"}) {
        EXPECT_EQ(kErrorSuccess, this->reg().CloseKey(this->Make(name)));
    }
    EXPECT_EQ((std::vector<std::string>{"1st", "_under", "Alpha", "alpha2", "beta", "Beta2", "gamma", "Zed"}),
              this->SubkeyNames(this->key_));
}

TYPED_TEST(RegistryPort, EnumKeyNeedsRoomForTheTerminator) {
    Registry& reg = this->reg();
    reg.CloseKey(this->Make("abcde"));
    char name[8] = {};
    std::uint32_t size = 5;
    EXPECT_EQ(kErrorMoreData, reg.EnumKey(this->key_, 0, name, &size));
    size = 6;
    ASSERT_EQ(kErrorSuccess, reg.EnumKey(this->key_, 0, name, &size));
    EXPECT_EQ(5u, size);
    EXPECT_STREQ("abcde", name);
    size = sizeof name;
    EXPECT_EQ(kErrorNoMoreItems, reg.EnumKey(this->key_, 1, name, &size));
}

TYPED_TEST(RegistryPort, QueryValueReportsTypesSizesAndMoreData) {
    Registry& reg = this->reg();
    const RegHandle k = this->key_;
    ASSERT_EQ(kErrorSuccess, this->SetBytes(k, "Name", kRegSz, "abc"));  // stored without a terminator
    ASSERT_EQ(kErrorSuccess, this->SetBytes(k, nullptr, kRegSz, std::string("dflt", 5)));
    ASSERT_EQ(kErrorSuccess, this->SetBytes(k, "Count", kRegDword, std::string("\x0a\0\0\0", 4)));
    ASSERT_EQ(kErrorSuccess, this->SetBytes(k, "Blob", kRegBinary, std::string("\x01\0\xff", 3)));
    ASSERT_EQ(kErrorSuccess, this->SetBytes(k, "Path", kRegExpandSz, std::string("%TEMP%\0", 7)));
    ASSERT_EQ(kErrorSuccess, this->SetBytes(k, "List", kRegMultiSz, std::string("a\0b\0\0", 5)));
    ASSERT_EQ(kErrorSuccess, reg.SetValue(k, "Empty", kRegBinary, nullptr, 0));

    // A string is returned as stored; Wine adds the terminator it lacks.
    const Answers<std::string> noTerminator("abc", "abc", "abc", std::string("abc", 4));
    std::uint32_t type = 0;
    EXPECT_EQ(this->Answer(noTerminator), this->Query(k, "NAME", &type));
    EXPECT_EQ(kRegSz, type);
    std::uint32_t needed = 0;
    EXPECT_EQ(kErrorSuccess, reg.QueryValue(k, "Name", &type, nullptr, &needed));
    EXPECT_EQ(this->Answer(noTerminator).size(), needed);
    EXPECT_EQ(std::string("dflt", 5), this->Query(k, nullptr, &type));
    EXPECT_EQ(std::string("dflt", 5), this->Query(k, "", &type));
    EXPECT_EQ(std::string("\x0a\0\0\0", 4), this->Query(k, "count", &type));
    EXPECT_EQ(kRegDword, type);
    EXPECT_EQ(std::string("\x01\0\xff", 3), this->Query(k, "Blob", &type));
    EXPECT_EQ(kRegBinary, type);
    EXPECT_EQ(std::string("%TEMP%\0", 7), this->Query(k, "Path", &type));
    EXPECT_EQ(kRegExpandSz, type);
    EXPECT_EQ(std::string("a\0b\0\0", 5), this->Query(k, "List", &type));
    EXPECT_EQ(kRegMultiSz, type);
    EXPECT_EQ("", this->Query(k, "Empty", &type));
    EXPECT_EQ("<missing>", this->Query(k, "nope", &type));

    // The size alone, and too small a buffer.
    std::uint32_t size = 0;
    EXPECT_EQ(kErrorSuccess, reg.QueryValue(k, "Path", &type, nullptr, &size));
    EXPECT_EQ(7u, size);
    std::uint8_t data[8] = {};
    size = 6;
    EXPECT_EQ(kErrorMoreData, reg.QueryValue(k, "Path", &type, data, &size));
    EXPECT_EQ(7u, size);
    EXPECT_EQ(kErrorSuccess, reg.QueryValue(k, "Blob", nullptr, nullptr, nullptr));  // it is there
    EXPECT_EQ(kErrorFileNotFound, reg.QueryValue(k, "nope", nullptr, nullptr, nullptr));
}

TYPED_TEST(RegistryPort, SetValueReplacesAValueInItsPlace) {
    Registry& reg = this->reg();
    const RegHandle k = this->key_;
    for (const char* name : {"zz", "aa", "Mm"}) ASSERT_EQ(kErrorSuccess, this->SetBytes(k, name, kRegSz, "1"));
    ASSERT_EQ(kErrorSuccess, this->SetBytes(k, "AA", kRegDword, std::string("\x02\0\0\0", 4)));
    std::uint32_t type = 0;
    EXPECT_EQ(std::string("\x02\0\0\0", 4), this->Query(k, "aa", &type));
    EXPECT_EQ(kRegDword, type);
    // Windows lists values in creation order, Wine in name order.
    const Answers<std::vector<std::string>> order({"zz", "aa", "Mm"}, {"zz", "aa", "Mm"}, {"zz", "aa", "Mm"},
                                                  {"aa", "Mm", "zz"});
    EXPECT_EQ(this->Answer(order), this->ValueNames(k));

    EXPECT_EQ(kErrorSuccess, reg.DeleteValue(k, "MM"));
    EXPECT_EQ(kErrorFileNotFound, reg.DeleteValue(k, "Mm"));
    EXPECT_EQ(2u, this->ValueNames(k).size());
}

TYPED_TEST(RegistryPort, EnumValueNeedsRoomForNameAndData) {
    Registry& reg = this->reg();
    const RegHandle k = this->key_;
    ASSERT_EQ(kErrorSuccess, this->SetBytes(k, "Name", kRegBinary, "abcdef"));

    char name[8] = {};
    std::uint32_t nameSize = 4;  // four characters need five
    std::uint32_t type = 0;
    std::uint32_t dataSize = 0;
    EXPECT_EQ(kErrorMoreData, reg.EnumValue(k, 0, name, &nameSize, &type, nullptr, &dataSize));
    nameSize = 5;
    ASSERT_EQ(kErrorSuccess, reg.EnumValue(k, 0, name, &nameSize, &type, nullptr, &dataSize));
    EXPECT_EQ(4u, nameSize);
    EXPECT_STREQ("Name", name);
    EXPECT_EQ(kRegBinary, type);
    EXPECT_EQ(6u, dataSize);

    std::uint8_t data[8] = {};
    nameSize = sizeof name;
    dataSize = 5;
    EXPECT_EQ(kErrorMoreData, reg.EnumValue(k, 0, name, &nameSize, &type, data, &dataSize));
    EXPECT_EQ(6u, dataSize);
    nameSize = sizeof name;
    dataSize = sizeof data;
    ASSERT_EQ(kErrorSuccess, reg.EnumValue(k, 0, name, &nameSize, nullptr, data, &dataSize));
    EXPECT_EQ("abcdef", std::string(reinterpret_cast<char*>(data), dataSize));
    nameSize = sizeof name;
    EXPECT_EQ(kErrorNoMoreItems, reg.EnumValue(k, 1, name, &nameSize, nullptr, nullptr, nullptr));
}

TYPED_TEST(RegistryPort, AHandleDoesOnlyWhatItWasOpenedFor) {
    Registry& reg = this->reg();
    ASSERT_EQ(kErrorSuccess, this->SetBytes(this->key_, "v", kRegSz, std::string("x", 2)));
    reg.CloseKey(this->Make("Sub"));
    ScopedKey readOnly(reg);
    ScopedKey writeOnly(reg);
    ASSERT_EQ(kErrorSuccess, reg.OpenKey(kHkeyCurrentUser, this->base_, kKeyRead, readOnly.out()));
    ASSERT_EQ(kErrorSuccess, reg.OpenKey(kHkeyCurrentUser, this->base_, kKeyWrite, writeOnly.out()));
    const std::uint8_t b = 1;
    EXPECT_EQ(kErrorAccessDenied, reg.SetValue(readOnly.get(), "v", kRegBinary, &b, 1));
    EXPECT_EQ(kErrorAccessDenied, reg.DeleteValue(readOnly.get(), "v"));
    EXPECT_EQ(kErrorAccessDenied, reg.QueryValue(writeOnly.get(), "v", nullptr, nullptr, nullptr));
    char name[16];
    std::uint32_t size = sizeof name;
    EXPECT_EQ(kErrorAccessDenied, reg.EnumKey(writeOnly.get(), 0, name, &size));
    EXPECT_EQ(kErrorSuccess, reg.QueryValue(readOnly.get(), "v", nullptr, nullptr, nullptr));
    EXPECT_EQ(kErrorSuccess, reg.SetValue(writeOnly.get(), "v", kRegBinary, &b, 1));
    // Windows documents that making a subkey needs KEY_CREATE_SUB_KEY on the
    // parent; Wine and the in-memory registry do not ask for it.
    const Answers<long> createUnderReadOnly(kErrorSuccess, kErrorSuccess, kErrorAccessDenied, kErrorSuccess);
    ScopedKey made(reg);
    EXPECT_EQ(this->Answer(createUnderReadOnly), reg.CreateKey(readOnly.get(), "New", kKeyAllAccess, made.out()));
    // Opening an existing subkey needs no right of the parent.
    EXPECT_EQ(kErrorSuccess, reg.OpenKey(writeOnly.get(), "Sub", kKeyRead, made.out()));
}

TYPED_TEST(RegistryPort, DeleteKeyRefusesAKeyWithSubkeys) {
    Registry& reg = this->reg();
    reg.CloseKey(this->Make("A\\B\\C"));
    EXPECT_EQ(kErrorAccessDenied, reg.DeleteKey(this->key_, "A\\B"));
    EXPECT_EQ(kErrorFileNotFound, reg.DeleteKey(this->key_, "A\\X"));
    EXPECT_EQ(kErrorSuccess, reg.DeleteKey(this->key_, "a\\b\\c"));
    EXPECT_EQ(kErrorSuccess, reg.DeleteKey(this->key_, "A\\B"));
    EXPECT_EQ((std::vector<std::string>{"A"}), this->SubkeyNames(this->key_));
    EXPECT_EQ(kErrorSuccess, reg.DeleteKey(this->key_, "A"));
    EXPECT_TRUE(this->SubkeyNames(this->key_).empty());
}

TYPED_TEST(RegistryPort, AHandleOnADeletedKeyFails) {
    Registry& reg = this->reg();
    RegHandle doomed = this->Make("Doomed");
    ASSERT_EQ(kErrorSuccess, this->SetBytes(doomed, "v", kRegSz, std::string("x", 2)));
    ASSERT_EQ(kErrorSuccess, reg.DeleteKey(this->key_, "Doomed"));
    // Even after a key of that name is made again.
    reg.CloseKey(this->Make("Doomed"));
    const long kErrorKeyDeleted = 1018;
    const Answers<long> deleted(kErrorInvalidHandle, kErrorInvalidHandle, kErrorKeyDeleted);
    std::uint32_t size = 0;
    EXPECT_EQ(this->Answer(deleted), reg.QueryValue(doomed, "v", nullptr, nullptr, &size));
    EXPECT_EQ(this->Answer(deleted), this->SetBytes(doomed, "v", kRegSz, std::string("y", 2)));
    ScopedKey sub(reg);
    EXPECT_EQ(this->Answer(deleted), reg.CreateKey(doomed, "Sub", kKeyAllAccess, sub.out()));
    std::uint32_t type = 0;
    EXPECT_EQ("<missing>", this->Query(this->key_, "v", &type));
    EXPECT_EQ(kErrorSuccess, reg.CloseKey(doomed));
}

TYPED_TEST(RegistryPort, DeleteKeyWithAnEmptyName) {
    Registry& reg = this->reg();
    RegHandle self = this->Make("Self");
    const Answers<long> answer(kErrorSuccess, kErrorSuccess, kErrorInvalidParameter);
    EXPECT_EQ(this->Answer(answer), reg.DeleteKey(self, ""));
    reg.CloseKey(self);
}

TYPED_TEST(RegistryPort, PredefinedRootsStayOpenAndClassesRootIsTheClassesKeyOfLocalMachine) {
    Registry& reg = this->reg();
    EXPECT_EQ(kErrorSuccess, reg.CloseKey(kHkeyCurrentUser));
    ScopedKey k(reg);
    EXPECT_EQ(kErrorSuccess, reg.OpenKey(kHkeyCurrentUser, this->base_, kKeyRead, k.out()));
    ScopedKey root(reg);
    EXPECT_EQ(kErrorSuccess, reg.OpenKey(kHkeyCurrentUser, "", kKeyRead, root.out()));
    EXPECT_NE(0u, root.get());

    const std::string classes = "comp_mgr_ports_" + this->adapter.ScratchName();
    ScopedKey made(reg);
    ASSERT_EQ(kErrorSuccess, reg.CreateKey(kHkeyClassesRoot, classes + "\\CLSID", kKeyAllAccess, made.out()));
    ASSERT_EQ(kErrorSuccess, this->SetBytes(made.get(), nullptr, kRegSz, std::string("server", 7)));
    ScopedKey seen(reg);
    ASSERT_EQ(kErrorSuccess,
              reg.OpenKey(kHkeyLocalMachine, "SOFTWARE\\Classes\\" + classes + "\\clsid", kKeyRead, seen.out()));
    std::uint32_t type = 0;
    EXPECT_EQ(std::string("server", 7), this->Query(seen.get(), "", &type));
    EXPECT_EQ(kErrorSuccess, reg.DeleteKey(kHkeyClassesRoot, classes + "\\CLSID"));
    EXPECT_EQ(kErrorSuccess, reg.DeleteKey(kHkeyClassesRoot, classes));
}

TYPED_TEST(RegistryPort, NullArgumentsAreRefusedNotFollowed) {
    Registry& reg = this->reg();
    const RegHandle k = this->key_;
    EXPECT_EQ(kErrorInvalidParameter, reg.OpenKey(k, "x", kKeyRead, nullptr));
    EXPECT_EQ(kErrorInvalidParameter, reg.CreateKey(k, "x", kKeyRead, nullptr));
    char name[16];
    std::uint32_t size = sizeof name;
    EXPECT_EQ(kErrorInvalidParameter, reg.EnumKey(k, 0, nullptr, &size));
    EXPECT_EQ(kErrorInvalidParameter, reg.EnumKey(k, 0, name, nullptr));
    EXPECT_EQ(kErrorInvalidParameter, reg.EnumValue(k, 0, nullptr, &size, nullptr, nullptr, nullptr));
    EXPECT_EQ(kErrorInvalidParameter, reg.SetValue(k, "x", kRegSz, nullptr, 4));
    ASSERT_EQ(kErrorSuccess, this->SetBytes(k, "v", kRegBinary, "ab"));
    std::uint8_t data[4];
    EXPECT_EQ(kErrorInvalidParameter, reg.QueryValue(k, "v", nullptr, data, nullptr));
    EXPECT_TRUE(this->SubkeyNames(k).empty());
}

TYPED_TEST(RegistryPort, ChangesOutliveThePortsThatMadeThem) {
    {
        RegHandle k = this->Make("Kept\\Deeper");
        ASSERT_EQ(kErrorSuccess, this->SetBytes(k, "NoTerminator", kRegSz, "abc"));
        ASSERT_EQ(kErrorSuccess, this->SetBytes(k, "Lines", kRegSz, std::string("one\r\ntwo\0", 9)));
        ASSERT_EQ(kErrorSuccess, this->SetBytes(k, nullptr, kRegExpandSz, std::string("%X%\0", 4)));
        ASSERT_EQ(kErrorSuccess, this->SetBytes(k, "Short", kRegDword, std::string("\x01\x02", 2)));
        this->reg().CloseKey(k);
        this->reg().CloseKey(this->key_);
        this->key_ = 0;
        this->reg().Flush();
    }
    this->adapter.Reopen();
    Registry& reg = this->reg();
    ScopedKey k(reg);
    ASSERT_EQ(kErrorSuccess, reg.OpenKey(kHkeyCurrentUser, this->base_ + "\\Kept\\Deeper", kKeyRead, k.out()));
    std::uint32_t type = 0;
    const Answers<std::string> noTerminator("abc", "abc", "abc", std::string("abc", 4));
    EXPECT_EQ(this->Answer(noTerminator), this->Query(k.get(), "NoTerminator", &type));
    EXPECT_EQ(kRegSz, type);
    EXPECT_EQ(std::string("one\r\ntwo\0", 9), this->Query(k.get(), "Lines", &type));
    EXPECT_EQ(std::string("%X%\0", 4), this->Query(k.get(), "", &type));
    EXPECT_EQ(kRegExpandSz, type);
    EXPECT_EQ(std::string("\x01\x02", 2), this->Query(k.get(), "Short", &type));
    EXPECT_EQ(kRegDword, type);
}

}  // namespace
}  // namespace ports_test
}  // namespace comp_mgr
