#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "resources/PiplBytes.h"
#include "session/Session.h"
#include "suites/StandardSuites.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*);

namespace vorlane::host {

using namespace vorlane::effect;
namespace {

// Written out by hand from the resource layout: vendor "8BIM", key, id 0 and length, each a little-endian 32-bit
// number, so four-character codes read backwards.
const std::vector<std::uint8_t> kExpectedPipl = {
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x00, 0x00, 0x00,  // version 1, 0, 12 properties
    'M',  'I',  'B',  '8',  'd',  'n',  'i',  'k',  0,    0,    0,   0,   4,   0,   0,   0,   'T',  'K',  'F',  'e',
    'M',  'I',  'B',  '8',  'e',  'm',  'a',  'n',  0,    0,    0,   0,   8,   0,   0,   0,   7,    'V',  'o',  'r',
    'l',  'a',  'n',  'e',  'M',  'I',  'B',  '8',  'g',  't',  'a', 'c', 0,   0,   0,   0,   8,    0,    0,    0,
    6,    'O',  's',  't',  'r',  'e',  'l',  0,    'M',  'I',  'B', '8', '4', '6', '6', '8', 0,    0,    0,    0,
    16,   0,    0,    0,    'E',  'n',  't',  'r',  'y',  'P',  'o', 'i', 'n', 't', 'F', 'u', 'n',  'c',  0,    0,
    'M',  'I',  'B',  '8',  'R',  'V',  'P',  'e',  0,    0,    0,   0,   4,   0,   0,   0,   2,    0,    0,    0,
    'M',  'I',  'B',  '8',  'R',  'V',  'S',  'e',  0,    0,    0,   0,   4,   0,   0,   0,   13,   0,    27,   0,
    'M',  'I',  'B',  '8',  'R',  'E',  'V',  'e',  0,    0,    0,   0,   4,   0,   0,   0,   0x01, 0x00, 0x08, 0x00,
    'M',  'I',  'B',  '8',  'F',  'N',  'I',  'e',  0,    0,    0,   0,   2,   0,   0,   0,   0,    0,    0,    0,
    'M',  'I',  'B',  '8',  'O',  'L',  'G',  'e',  0,    0,    0,   0,   4,   0,   0,   0,   0x02, 0x00, 0x00, 0x06,
    'M',  'I',  'B',  '8',  '2',  'L',  'G',  'e',  0,    0,    0,   0,   4,   0,   0,   0,   0x08, 0x00, 0x02, 0x08,
    'M',  'I',  'B',  '8',  'A',  'N',  'M',  'e',  0,    0,    0,   0,   16,  0,   0,   0,   12,   'A',  'D',  'B',
    'E',  ' ',  'V',  'o',  'r',  'l',  'a',  'n',  'e',  0,    0,   0,   'M', 'I', 'B', '8', 'L',  'F',  'e',  'a',
    0,    0,    0,    0,    4,    0,    0,    0,    0,    0,    0,   0,
};

std::uint32_t property_value(const std::vector<std::uint8_t>& pipl, const char (&reversed_key)[5]) {
    std::size_t at = 10;
    while (at + 16 <= pipl.size()) {
        std::uint32_t length = 0;
        std::memcpy(&length, &pipl[at + 12], 4);
        if (std::memcmp(&pipl[at + 4], reversed_key, 4) == 0) {
            std::uint32_t value = 0;
            std::memcpy(&value, &pipl[at + 16], 4);
            return value;
        }
        at += 16 + (length + 3) / 4 * 4;
    }
    ADD_FAILURE() << "no property " << reversed_key;
    return 0;
}

TEST(PiplBytes, MatchTheResourceLayoutByteForByte) {
    EXPECT_EQ(pipl_bytes(), kExpectedPipl);
}

TEST(PiplBytes, VersionAndFlagsEqualWhatGlobalSetUpDeclares) {
    Session session(EntryPointFunc, standard_services());
    ASSERT_EQ(session.global_setup(), PF_Err_NONE);
    const std::vector<std::uint8_t> pipl = pipl_bytes();
    EXPECT_EQ(property_value(pipl, "REVe"), session.declared().my_version);
    EXPECT_EQ(property_value(pipl, "OLGe"), std::uint32_t(session.declared().out_flags));
    EXPECT_EQ(property_value(pipl, "2LGe"), std::uint32_t(session.declared().out_flags2));
}

}  // namespace
}  // namespace vorlane::host
