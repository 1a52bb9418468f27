// SVG path data, as a scene's "svg" masks hand it to the host: any text is either read into shapes that the path
// suites can measure, or refused with a PathDataError that points into the text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_outline.h"
#include "pixels/SvgPath.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorlane::host;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<MaskShape> shapes;
    try {
        shapes = parse_svg_path(text);
    } catch (const PathDataError& e) {
        fuzz::require(e.position <= size, "a path data error points past the text");
        return 0;
    }
    for (const MaskShape& shape : shapes) {
        fuzz::require(!shape.vertices.empty(), "a subpath that draws nothing was kept");
        fuzz::measure_outline(shape);
    }
    return 0;
}
