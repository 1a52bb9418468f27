// Reading a PiPL back: the module's own bytes decode to the twelve properties; damaged bytes are refused with a
// reason instead of being read past their end.
#include <gtest/gtest.h>

#include "module/PiplDecoder.h"
#include "resources/PiplBytes.h"

namespace vorlane::host::test {

using namespace vorlane::effect;
namespace {

TEST(HostPipl, TheEffectsBytesDecodeToTwelvePropertiesInOrder) {
    const DecodedPipl pipl = decode_pipl(pipl_bytes());
    EXPECT_EQ(pipl.version, 1);
    EXPECT_EQ(pipl.reserved, 0u);
    const std::vector<std::pair<std::string, std::string>> expected{
        {"kind", "eFKT"},       {"name", "Vorlane"},      {"catg", "Ostrel"},    {"8664", "EntryPointFunc"},
        {"ePVR", "2.0"},        {"eSVR", "13.27"},        {"eINF", "0x0000"},    {"eGLO", "0x06000002"},
        {"eGL2", "0x08020008"}, {"eMNA", "ADBE Vorlane"}, {"aeFL", "0x00000000"}};
    ASSERT_EQ(pipl.properties.size(), 12u);
    for (const auto& [key, value] : expected) {
        const PiplProperty* property = pipl.find(key);
        ASSERT_NE(property, nullptr) << key;
        EXPECT_EQ(property->value, value) << key;
        EXPECT_EQ(property->vendor, "8BIM");
    }
    EXPECT_EQ(pipl.find("eVER")->value.substr(0, 10), "0x00080001");
    EXPECT_EQ(pipl.properties[3].key, "8664");
}

TEST(HostPipl, DamagedBytesAreRefused) {
    const std::vector<std::uint8_t> good = pipl_bytes();

    std::vector<std::uint8_t> cut(good.begin(), good.end() - 9);
    EXPECT_THROW(decode_pipl(cut), PiplError);

    std::vector<std::uint8_t> huge_count = good;
    huge_count[6] = 0xFF;
    huge_count[9] = 0x7F;
    EXPECT_THROW(decode_pipl(huge_count), PiplError);

    // The effect name's length byte claims more characters than its property holds.
    std::vector<std::uint8_t> long_name = good;
    const std::size_t name_length_byte = 10 + (16 + 4) + 16;
    ASSERT_EQ(long_name[name_length_byte], 7);
    long_name[name_length_byte] = 200;
    EXPECT_THROW(decode_pipl(long_name), PiplError);

    std::vector<std::uint8_t> trailing = good;
    trailing.push_back(0);
    EXPECT_THROW(decode_pipl(trailing), PiplError);
    EXPECT_THROW(decode_pipl({}), PiplError);
}

}  // namespace
}  // namespace vorlane::host::test
