// Reads a PiPL resource back into its properties: a 16-bit version, a 32-bit reserved word, a 32-bit property
// count, then per property a vendor code, a key, an id, a data length and the data, padded to 4 bytes. All
// little-endian; four-character codes are 32-bit numbers, so their characters are stored in reverse.
//
// The bytes come from a file or a module the user named: every length is checked before it is trusted.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorlane::host {

class PiplError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct PiplProperty {
    std::string vendor;  // "8BIM"
    std::string key;     // "kind", "name", ...
    std::uint32_t id = 0;
    std::vector<std::uint8_t> data;  // as stored, without the padding after it
    std::string value;               // the data read as its key says: "eFKT", "Vorlane", "13.27", "0x06000002"
};

struct DecodedPipl {
    std::uint16_t version = 0;
    std::uint32_t reserved = 0;
    std::vector<PiplProperty> properties;

    const PiplProperty* find(const std::string& key) const;
};

// Throws PiplError when the bytes are not a whole PiPL.
DecodedPipl decode_pipl(const std::vector<std::uint8_t>& bytes);

}  // namespace vorlane::host
