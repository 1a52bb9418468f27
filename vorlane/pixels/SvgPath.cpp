#include "pixels/SvgPath.h"

#include <cctype>
#include <charconv>

#include "pixels/SvgArc.h"

namespace vorlane::host {

PathDataError::PathDataError(const std::string& message, std::size_t position_in_data)
    : std::runtime_error("path data, position " + std::to_string(position_in_data) + ": " + message),
      position(position_in_data) {}

namespace {

struct Reader {
    std::string_view data;
    std::size_t pos = 0;

    void skip_separators() {
        while (pos < data.size() && (std::isspace(static_cast<unsigned char>(data[pos])) || data[pos] == ',')) {
            ++pos;
        }
    }
    bool at_end() {
        skip_separators();
        return pos >= data.size();
    }
    // An arc's flag is one character, 0 or 1, which may stand right against the next number ("a5 5 0 0110 10").
    bool flag() {
        skip_separators();
        if (pos < data.size() && (data[pos] == '0' || data[pos] == '1')) {
            return data[pos++] == '1';
        }
        throw PathDataError("expected a flag, 0 or 1", pos);
    }
    bool digit_at(std::size_t i) const { return i < data.size() && std::isdigit(static_cast<unsigned char>(data[i])); }

    // The grammar's number: sign, digits with at most one point, then an optional exponent. Scanning it here
    // (rather than letting from_chars be greedy) is what splits "1.5.5" and "1-2".
    double number() {
        skip_separators();
        const std::size_t start = pos;
        std::size_t i = pos;
        if (i < data.size() && (data[i] == '+' || data[i] == '-')) {
            ++i;
        }
        bool digits = false;
        while (digit_at(i)) {
            ++i;
            digits = true;
        }
        if (i < data.size() && data[i] == '.') {
            ++i;
            while (digit_at(i)) {
                ++i;
                digits = true;
            }
        }
        if (!digits) {
            throw PathDataError("expected a number", start);
        }
        if (i < data.size() && (data[i] == 'e' || data[i] == 'E')) {
            std::size_t j = i + 1;
            if (j < data.size() && (data[j] == '+' || data[j] == '-')) {
                ++j;
            }
            if (digit_at(j)) {
                while (digit_at(j)) {
                    ++j;
                }
                i = j;
            }
        }
        std::size_t text = start + (data[start] == '+' ? 1 : 0);
        double value = 0.0;
        const auto result = std::from_chars(data.data() + text, data.data() + i, value);
        if (result.ec != std::errc() || result.ptr != data.data() + i) {
            throw PathDataError("number out of range", start);
        }
        pos = i;
        return value;
    }
};

PathPoint lerp(PathPoint a, PathPoint b, double f) {
    return {a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f};
}
PathPoint reflect(PathPoint control, PathPoint about) {
    return {2.0 * about.x - control.x, 2.0 * about.y - control.y};
}

CubicSegment line(PathPoint a, PathPoint b) {
    return {a, lerp(a, b, 1.0 / 3.0), lerp(a, b, 2.0 / 3.0), b};
}
CubicSegment quadratic(PathPoint a, PathPoint q, PathPoint b) {
    return {a, lerp(a, q, 2.0 / 3.0), lerp(b, q, 2.0 / 3.0), b};
}

class Builder {
  public:
    std::vector<MaskShape> shapes;

    void move_to(PathPoint p) {
        finish(false);
        current_ = start_ = p;
    }
    void draw(const CubicSegment& segment) {
        segments_.push_back(segment);
        current_ = segment.p3;
    }
    void close() {
        if (current_.x != start_.x || current_.y != start_.y) {
            draw(line(current_, start_));
        }
        finish(true);
        current_ = start_;
    }
    void finish(bool closed) {
        if (!segments_.empty()) {
            shapes.push_back(shape_from_segments(segments_, closed));
        }
        segments_.clear();
    }
    PathPoint current() const { return current_; }

  private:
    std::vector<CubicSegment> segments_;
    PathPoint current_, start_;
};

bool is_command(char c) {
    switch (std::toupper(static_cast<unsigned char>(c))) {
        case 'M':
        case 'L':
        case 'H':
        case 'V':
        case 'C':
        case 'S':
        case 'Q':
        case 'T':
        case 'A':
        case 'Z':
            return true;
        default:
            return false;
    }
}

}  // namespace

MaskShape shape_from_segments(const std::vector<CubicSegment>& segments, bool closed) {
    MaskShape shape;
    shape.closed = closed;
    for (const CubicSegment& s : segments) {
        MaskVertex v{s.p0.x, s.p0.y, 0.0, 0.0, s.p1.x - s.p0.x, s.p1.y - s.p0.y};
        if (!shape.vertices.empty()) {
            const CubicSegment& before = segments[shape.vertices.size() - 1];
            v.in_x = before.p2.x - before.p3.x;
            v.in_y = before.p2.y - before.p3.y;
        }
        shape.vertices.push_back(v);
    }
    const CubicSegment& last = segments.back();
    const MaskVertex end{last.p3.x, last.p3.y, last.p2.x - last.p3.x, last.p2.y - last.p3.y, 0.0, 0.0};
    if (closed) {
        // The last segment ends on the first vertex: it gives that vertex its in tangent.
        shape.vertices.front().in_x = end.in_x;
        shape.vertices.front().in_y = end.in_y;
    } else {
        shape.vertices.push_back(end);
    }
    return shape;
}

std::vector<MaskShape> parse_svg_path(std::string_view data) {
    Reader in{data};
    Builder out;
    char command = 0;
    bool have_subpath = false;
    PathPoint last_cubic_control, last_quad_control;
    char previous = 0;
    while (!in.at_end()) {
        const std::size_t command_pos = in.pos;
        if (std::isalpha(static_cast<unsigned char>(data[in.pos]))) {
            command = data[in.pos];
            if (!is_command(command)) {
                throw PathDataError(std::string("unknown command '") + command + "'", command_pos);
            }
            ++in.pos;
        } else if (command == 0) {
            throw PathDataError("path data must begin with a moveto command", command_pos);
        } else if (std::toupper(static_cast<unsigned char>(command)) == 'Z') {
            throw PathDataError("expected a command after closepath", command_pos);
        }
        if (!have_subpath && std::toupper(static_cast<unsigned char>(command)) != 'M') {
            throw PathDataError("path data must begin with a moveto command", command_pos);
        }
        const bool relative = std::islower(static_cast<unsigned char>(command));
        const PathPoint cur = out.current();
        auto point = [&]() {
            const double x = in.number();
            const double y = in.number();
            return relative ? PathPoint{cur.x + x, cur.y + y} : PathPoint{x, y};
        };
        const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(command)));
        switch (upper) {
            case 'M':
                out.move_to(point());
                have_subpath = true;
                // Further coordinate pairs after a moveto are implicit linetos.
                command = relative ? 'l' : 'L';
                break;
            case 'L':
                out.draw(line(cur, point()));
                break;
            case 'H': {
                const double x = in.number();
                out.draw(line(cur, {relative ? cur.x + x : x, cur.y}));
                break;
            }
            case 'V': {
                const double y = in.number();
                out.draw(line(cur, {cur.x, relative ? cur.y + y : y}));
                break;
            }
            case 'C': {
                const PathPoint c1 = point(), c2 = point(), end = point();
                out.draw({cur, c1, c2, end});
                last_cubic_control = c2;
                break;
            }
            case 'S': {
                const PathPoint c1 = (previous == 'C' || previous == 'S') ? reflect(last_cubic_control, cur) : cur;
                const PathPoint c2 = point(), end = point();
                out.draw({cur, c1, c2, end});
                last_cubic_control = c2;
                break;
            }
            case 'Q': {
                const PathPoint q = point(), end = point();
                out.draw(quadratic(cur, q, end));
                last_quad_control = q;
                break;
            }
            case 'T': {
                const PathPoint q = (previous == 'Q' || previous == 'T') ? reflect(last_quad_control, cur) : cur;
                out.draw(quadratic(cur, q, point()));
                last_quad_control = q;
                break;
            }
            case 'A': {
                SvgArc arc;
                arc.rx = in.number();
                arc.ry = in.number();
                arc.rotation_degrees = in.number();
                arc.large_arc = in.flag();
                arc.sweep = in.flag();
                for (const CubicSegment& segment : arc_segments(cur, arc, point())) {
                    out.draw(segment);
                }
                break;
            }
            case 'Z':
                out.close();
                break;
        }
        previous = upper;
    }
    out.finish(false);
    return out.shapes;
}

}  // namespace vorlane::host
