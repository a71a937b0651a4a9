// The Com port (platform/com.h) against every adapter of the build: BSTRs
// from narrow text in the ANSI code page (code page 1252 on the hosted
// machine, and Wine's default) and back, in Windows' layout.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ports/adapters_under_test.h"

namespace comp_mgr {
namespace ports_test {
namespace {

template <class Adapter>
class ComPort : public PortTest<Adapter> {
protected:
    Com& com() { return this->adapter.com(); }
};

TYPED_TEST_SUITE(ComPort, AdaptersUnderTest, AdapterNames);

// The 32-bit byte length before the first unit, as SysStringByteLen reads it.
std::uint32_t ByteLength(engine_abi::Bstr text) {
    std::uint32_t bytes = 0;
    std::memcpy(&bytes, reinterpret_cast<const char*>(text) - sizeof bytes, sizeof bytes);
    return bytes;
}

TYPED_TEST(ComPort, EveryByteBecomesItsCharacterAndComesBack) {
    this->com().Initialize();
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    engine_abi::Bstr text = this->com().AllocString(all);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(ByteLength(text), 2u * 255u);
    EXPECT_EQ(text[255], u'\0');
    EXPECT_EQ(text[0x41 - 1], u'A');
    EXPECT_EQ(text[0x80 - 1], u'\u20AC');  // the euro sign
    EXPECT_EQ(text[0xE9 - 1], u'\u00E9');
    EXPECT_EQ(text[0x9F - 1], u'\u0178');
    EXPECT_EQ(this->com().NarrowText(text), all);
    this->com().FreeString(text);
}

TYPED_TEST(ComPort, EmptyTextIsAnEmptyStringNotNone) {
    engine_abi::Bstr text = this->com().AllocString("");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(ByteLength(text), 0u);
    EXPECT_EQ(text[0], u'\0');
    EXPECT_EQ(this->com().NarrowText(text), "");
    this->com().FreeString(text);
    this->com().FreeString(nullptr);  // as SysFreeString, nothing happens
}

TYPED_TEST(ComPort, CharacterTheCodePageLacksBecomesAQuestionMark) {
    engine_abi::Bstr text = this->com().AllocString("a-b");
    ASSERT_NE(text, nullptr);
    text[1] = u'\u4E2D';
    EXPECT_EQ(this->com().NarrowText(text), "a?b");
    this->com().FreeString(text);
}

TYPED_TEST(ComPort, NoErrorObjectWhenNoneWasLeft) {
    this->com().Initialize();
    EXPECT_EQ(this->com().TakeErrorInfo(nullptr), nullptr);
}

}  // namespace
}  // namespace ports_test
}  // namespace comp_mgr
