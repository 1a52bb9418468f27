// Writes the effect's PIPL bytes to the file named on the command line.
#include <cstdio>

#include "resources/PiplBytes.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pipl_tool OUTPUT\n");
        return 2;
    }
    const auto bytes = vorlane::effect::pipl_bytes();
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return (std::fclose(out) == 0 && ok) ? 0 : 1;
}
