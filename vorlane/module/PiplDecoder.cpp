#include "module/PiplDecoder.h"

#include <algorithm>
#include <cstdio>

namespace vorlane::host {
namespace {

class Reader {
  public:
    explicit Reader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

    std::size_t remaining() const { return bytes_.size() - at_; }

    std::uint32_t u16() { return take(2); }
    std::uint32_t u32() { return take(4); }

    std::vector<std::uint8_t> bytes(std::size_t count) {
        need(count);
        std::vector<std::uint8_t> out(bytes_.begin() + static_cast<std::ptrdiff_t>(at_),
                                      bytes_.begin() + static_cast<std::ptrdiff_t>(at_ + count));
        at_ += count;
        return out;
    }

    // The last property's fill may be cut off at the end of the resource; nothing follows it to misread.
    void skip_fill(std::size_t data_length) {
        const std::size_t fill = (4 - data_length % 4) % 4;
        at_ += std::min(fill, remaining());
    }

  private:
    void need(std::size_t count) const {
        if (count > remaining()) {
            throw PiplError("the PiPL ends " + std::to_string(count - remaining()) + " bytes early, at offset " +
                            std::to_string(bytes_.size()));
        }
    }

    std::uint32_t take(int count) {
        need(static_cast<std::size_t>(count));
        std::uint32_t value = 0;
        for (int i = count - 1; i >= 0; --i) {
            value = (value << 8) | bytes_[at_ + static_cast<std::size_t>(i)];
        }
        at_ += static_cast<std::size_t>(count);
        return value;
    }

    const std::vector<std::uint8_t>& bytes_;
    std::size_t at_ = 0;
};

std::string four_cc(std::uint32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((code >> shift) & 0xFF);
        text += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return text;
}

std::uint32_t word(const std::vector<std::uint8_t>& data, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 8) | data[at + static_cast<std::size_t>(i)];
    }
    return value;
}

std::string hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

std::string hex_bytes(const std::vector<std::uint8_t>& data) {
    std::string text;
    for (const std::uint8_t b : data) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%s%02X", text.empty() ? "" : " ", b);
        text += pair;
    }
    return text;
}

std::string length_prefixed(const std::vector<std::uint8_t>& data) {
    if (data.empty() || data[0] + 1u > data.size()) {
        throw PiplError("a length-prefixed string claims more characters than its property holds");
    }
    return std::string(data.begin() + 1, data.begin() + 1 + data[0]);
}

std::string zero_terminated(const std::vector<std::uint8_t>& data) {
    std::string text;
    for (const std::uint8_t b : data) {
        if (b == 0) {
            return text;
        }
        text += static_cast<char>(b);
    }
    throw PiplError("a zero-terminated string has no terminator");
}

std::string version_text(std::uint32_t v) {
    return hex(v, 8) + " (version " + std::to_string((v >> 19) & 0x7) + "." + std::to_string((v >> 15) & 0xF) + "." +
           std::to_string((v >> 11) & 0xF) + ", stage " + std::to_string((v >> 9) & 0x3) + ", build " +
           std::to_string(v & 0x1FF) + ")";
}

std::string value_of(const std::string& key, const std::vector<std::uint8_t>& data) {
    const auto sized = [&](std::size_t size) {
        if (data.size() != size) {
            throw PiplError("property " + key + " holds " + std::to_string(data.size()) + " bytes, not " +
                            std::to_string(size));
        }
    };
    if (key == "kind") {
        sized(4);
        return four_cc(word(data, 0, 4));
    }
    if (key == "name" || key == "catg" || key == "eMNA") {
        return length_prefixed(data);
    }
    if (key == "8664" || key == "wx86" || key == "mi32" || key == "mi64") {
        return zero_terminated(data);
    }
    if (key == "ePVR" || key == "eSVR") {
        sized(4);
        return std::to_string(word(data, 0, 2)) + "." + std::to_string(word(data, 2, 2));
    }
    if (key == "eVER") {
        sized(4);
        return version_text(word(data, 0, 4));
    }
    if (key == "eINF") {
        sized(2);
        return hex(word(data, 0, 2), 4);
    }
    if (key == "eGLO" || key == "eGL2" || key == "aeFL") {
        sized(4);
        return hex(word(data, 0, 4), 8);
    }
    return hex_bytes(data);
}

}  // namespace

const PiplProperty* DecodedPipl::find(const std::string& key) const {
    for (const PiplProperty& property : properties) {
        if (property.key == key) {
            return &property;
        }
    }
    return nullptr;
}

DecodedPipl decode_pipl(const std::vector<std::uint8_t>& bytes) {
    Reader in(bytes);
    DecodedPipl pipl;
    pipl.version = static_cast<std::uint16_t>(in.u16());
    pipl.reserved = in.u32();
    const std::uint32_t count = in.u32();
    // Each property takes 16 bytes before its data: a count beyond that is a damaged header, not a big PiPL.
    if (count > in.remaining() / 16) {
        throw PiplError("the PiPL claims " + std::to_string(count) + " properties but holds at most " +
                        std::to_string(in.remaining() / 16));
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        PiplProperty property;
        property.vendor = four_cc(in.u32());
        property.key = four_cc(in.u32());
        property.id = in.u32();
        const std::uint32_t length = in.u32();
        property.data = in.bytes(length);
        in.skip_fill(length);
        property.value = value_of(property.key, property.data);
        pipl.properties.push_back(std::move(property));
    }
    if (in.remaining() != 0) {
        throw PiplError(std::to_string(in.remaining()) + " bytes follow the last property");
    }
    return pipl;
}

}  // namespace vorlane::host
