#include "resources/PiplBytes.h"

#include <cstddef>
#include <string_view>

#include "entry/Version.h"

namespace vorlane::effect {

namespace {

constexpr char kEffectName[] = "Vorlane";
constexpr char kCategory[] = "Ostrel";
constexpr char kEntryPointName[] = "EntryPointFunc";
constexpr std::uint16_t kPiplVersion[] = {2, 0};
constexpr std::uint16_t kApiVersion[] = {13, 27};
constexpr std::uint16_t kInfoFlags = 0;
constexpr std::uint32_t kReservedInfo = 0;
constexpr std::uint32_t kPropertyCount = 12;

// Four-character codes are 32-bit numbers with the first character in the high byte; written little-endian they
// appear reversed in the file, as the host expects.
constexpr std::uint32_t four_cc(std::string_view code) {
    return (std::uint32_t(std::uint8_t(code[0])) << 24) | (std::uint32_t(std::uint8_t(code[1])) << 16) |
           (std::uint32_t(std::uint8_t(code[2])) << 8) | std::uint32_t(std::uint8_t(code[3]));
}

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& out, std::uint16_t value) {
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

void put32(Bytes& out, std::uint32_t value) {
    put16(out, std::uint16_t(value));
    put16(out, std::uint16_t(value >> 16));
}

// Properties start 10 bytes into the resource, so padding counts from the start of a property's data, not of the
// file.
void pad_to_4(Bytes& data, std::size_t data_start) {
    while ((data.size() - data_start) % 4 != 0) {
        data.push_back(0);
    }
}

void put_property(Bytes& out, std::string_view key, const Bytes& data) {
    put32(out, four_cc("8BIM"));
    put32(out, four_cc(key));
    put32(out, 0);
    put32(out, std::uint32_t(data.size()));
    const std::size_t data_start = out.size();
    out.insert(out.end(), data.begin(), data.end());
    pad_to_4(out, data_start);
}

// String data carries its own zero fill, which the length field counts.
Bytes length_prefixed(std::string_view text) {
    Bytes data;
    data.push_back(std::uint8_t(text.size()));
    for (const char c : text) {
        data.push_back(std::uint8_t(c));
    }
    pad_to_4(data, 0);
    return data;
}

Bytes zero_terminated(std::string_view text) {
    Bytes data(text.begin(), text.end());
    data.push_back(0);
    pad_to_4(data, 0);
    return data;
}

Bytes word32(std::uint32_t value) {
    Bytes data;
    put32(data, value);
    return data;
}

Bytes word16(std::uint16_t value) {
    Bytes data;
    put16(data, value);
    return data;
}

Bytes word16_pair(const std::uint16_t (&pair)[2]) {
    Bytes data;
    put16(data, pair[0]);
    put16(data, pair[1]);
    return data;
}

}  // namespace

std::vector<std::uint8_t> pipl_bytes() {
    Bytes out;
    put16(out, 1);
    put32(out, 0);
    put32(out, kPropertyCount);
    put_property(out, "kind", word32(four_cc("eFKT")));
    put_property(out, "name", length_prefixed(kEffectName));
    put_property(out, "catg", length_prefixed(kCategory));
    put_property(out, "8664", zero_terminated(kEntryPointName));
    put_property(out, "ePVR", word16_pair(kPiplVersion));
    put_property(out, "eSVR", word16_pair(kApiVersion));
    put_property(out, "eVER", word32(kEffectVersion));
    put_property(out, "eINF", word16(kInfoFlags));
    put_property(out, "eGLO", word32(std::uint32_t(kOutFlags)));
    put_property(out, "eGL2", word32(std::uint32_t(kOutFlags2)));
    put_property(out, "eMNA", length_prefixed(kMatchName));
    put_property(out, "aeFL", word32(kReservedInfo));
    return out;
}

}  // namespace vorlane::effect
