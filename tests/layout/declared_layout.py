#!/usr/bin/env python3
"""Writes a C++ table of everything the interface headers declare: each record's size, alignment and fields (offset
and size as the compiler lays them out), each constant's value, and the names that the published table does not
carry together with the reason the header gives for them. The layout test compares that table with the published
one.

The headers are ours and written in one style, so a small scanner reads them; anything it does not understand stops
the build with the line it could not read, rather than leaving a declaration unchecked.

Annotations, in a comment on the line before a declaration (or at the end of a field's line):
  "published as NAME"            the published table lists the record or field under NAME;
  "not in the published table"   the name is ours or absent from the table; the rest of the comment says why.
"""
import re
import sys

PUBLISHED_AS = re.compile(r"[Pp]ublished as (\w+)")
UNPUBLISHED = re.compile(r"[Nn]ot in the published table[:,]?\s*(.*)")


class HeaderError(Exception):
    pass


def strip_comments(text):
    """Returns the text with comments blanked out and, per line number, the comment text found on that line."""
    out, comments, i, line = [], {}, 0, 1
    while i < len(text):
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = len(text) if end < 0 else end
            comments.setdefault(line, []).append(text[i + 2:end].strip())
            out.append(" " * (end - i))
            i = end
        elif text.startswith("/*", i):
            end = text.index("*/", i) + 2
            body = text[i + 2:end - 2]
            comments.setdefault(line, []).append(body.strip())
            out.append("".join(c if c == "\n" else " " for c in text[i:end]))
            line += body.count("\n")
            i = end
        elif text[i] == '"':
            end = text.index('"', i + 1) + 1
            out.append(text[i:end])
            i = end
        else:
            if text[i] == "\n":
                line += 1
            out.append(text[i])
            i += 1
    return "".join(out), comments


class Source:
    def __init__(self, path):
        self.path = path
        raw = open(path, encoding="utf-8").read()
        self.text, self.comments = strip_comments(raw)

    def line_of(self, pos):
        return self.text.count("\n", 0, pos) + 1

    def notes(self, pos, trailing_end=None):
        """The comments on the lines just above `pos` (an unbroken run), and on the line of `trailing_end`."""
        line = self.line_of(pos)
        found = []
        previous = line - 1
        while previous in self.comments and self.text.splitlines()[previous - 1].strip() == "":
            found = self.comments[previous] + found
            previous -= 1
        found += self.comments.get(line, [])
        if trailing_end is not None:
            found += self.comments.get(self.line_of(trailing_end), [])
        return " ".join(found)

    def fail(self, pos, what):
        raise HeaderError(f"{self.path}:{self.line_of(pos)}: {what}")


def annotation(note):
    published = PUBLISHED_AS.search(note)
    unpublished = UNPUBLISHED.search(note)
    return (published.group(1) if published else None, unpublished.group(1).strip() or note if unpublished else None)


def matching_brace(text, open_pos):
    depth = 0
    for i in range(open_pos, len(text)):
        if text[i] == "{":
            depth += 1
        elif text[i] == "}":
            depth -= 1
            if depth == 0:
                return i
    raise HeaderError("unbalanced braces")


def split_top(text, sep):
    parts, depth, start = [], 0, 0
    for i, c in enumerate(text):
        if c in "({[":
            depth += 1
        elif c in ")}]":
            depth -= 1
        elif c == sep and depth == 0:
            parts.append((start, text[start:i]))
            start = i + 1
    parts.append((start, text[start:]))
    return parts


FUNCTION_POINTER = re.compile(r"^[\w\s\*]+\(\s*\*\s*(\w+)\s*\)\s*\(.*\)$", re.S)
DECLARATOR = re.compile(r"^\**\s*(\w+)\s*(\[[^\]]*\]\s*)*$")


class Record:
    def __init__(self, key, cpp, kind):
        self.key, self.cpp, self.kind = key, cpp, kind
        self.fields = []          # (published name, C++ member name)
        self.unpublished = None   # reason, when the table does not carry the record


def parse_members(source, base, body, record, records, nested_count):
    for start, member in split_top(body, ";"):
        pos = base + start
        text = member.strip()
        if not text:
            continue
        lead = pos + (len(member) - len(member.lstrip()))
        nested = re.match(r"^(union|struct)\s*\{", text)
        published, unpublished = annotation(source.notes(lead, pos + len(member)))
        if nested:
            open_pos = lead + text.index("{")
            close = matching_brace(source.text, open_pos)
            name = source.text[close + 1:pos + len(member)].strip()
            if not re.fullmatch(r"\w+", name):
                source.fail(lead, f"a nested {nested.group(1)} needs one member name")
            nested_count[0] += 1
            inner = Record(f"{record.key}__bindgen_ty_{nested_count[0]}", f"decltype({record.cpp}::{name})",
                           nested.group(1))
            parse_members(source, open_pos + 1, source.text[open_pos + 1:close], inner, records, [0])
            records.append(inner)
            record.fields.append((published or name, name, unpublished))
            continue
        function = FUNCTION_POINTER.match(text)
        if function:
            name = function.group(1)
            record.fields.append((published or name, name, unpublished))
            continue
        declarators = split_top(text, ",")
        first = declarators[0][1].strip()
        words = re.match(r"^(?:const\s+)?(?:(?:struct|union|unsigned|signed)\s+)?\w+\s*(.*)$", first, re.S)
        if not words:
            source.fail(lead, f"cannot read member '{text}'")
        names = [words.group(1)] + [d.strip() for _, d in declarators[1:]]
        for declarator in names:
            m = DECLARATOR.match(declarator.strip())
            if not m:
                source.fail(lead, f"cannot read member '{text}'")
            if len(names) > 1 and published:
                source.fail(lead, "'published as' needs a member of its own")
            record.fields.append((published or m.group(1), m.group(1), unpublished))


TOP = re.compile(r"\b(typedef\s+)?(struct|union|enum)\s*(\w+)?\s*\{")


def parse_header(path, records, constants, unpublished_names):
    source = Source(path)
    text = source.text
    for m in re.finditer(r"^[ \t]*#define[ \t]+(\w+)(\(?)[ \t]*(.*)$", text, re.M):
        name, function_like, value = m.group(1), m.group(2), m.group(3).strip()
        # Function-like macros and decorations (the export attribute) are not constants.
        if function_like or not re.fullmatch(r'"[^"]*"|[-+~()<>|&\w\s]+', value) or "__" in value:
            continue
        published, unpublished = annotation(source.notes(m.start()))
        if unpublished:
            unpublished_names.append((name, unpublished))
        constants.append((published or name, name, value.startswith('"')))
    pos = 0
    while True:
        m = TOP.search(text, pos)
        if not m:
            break
        open_pos = m.end() - 1
        close = matching_brace(text, open_pos)
        end = text.index(";", close)
        after = text[close + 1:end].strip()
        typedef, kind, tag = m.group(1), m.group(2), m.group(3)
        published, unpublished = annotation(source.notes(m.start()))
        body = text[open_pos + 1:close]
        if kind == "enum":
            for start, item in split_top(body, ","):
                item = item.strip()
                if not item:
                    continue
                name = re.match(r"(\w+)", item).group(1)
                note_pub, note_unpub = annotation(source.notes(open_pos + 1 + start + (len(body[start:]) - len(body[start:].lstrip()))))
                if note_unpub or unpublished:
                    unpublished_names.append((name, note_unpub or unpublished))
                constants.append((note_pub or name, name, False))
        else:
            names = [n.strip() for n in after.split(",")] if typedef else []
            cpp = names[0] if names else tag
            if not cpp or not re.fullmatch(r"\w+", cpp):
                source.fail(m.start(), f"cannot name the {kind} declared here")
            key = published or tag or cpp
            record = Record(key, cpp, kind)
            record.unpublished = unpublished
            nested = []
            parse_members(source, open_pos + 1, body, record, nested, [0])
            records.extend(nested)
            records.append(record)
        pos = end + 1


def cpp_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def write_table(records, constants, unpublished_names, out):
    lines = ["// Written by tests/layout/declared_layout.py from the interface headers; do not edit.",
             "#include <cstddef>", "", "#include \"layout/declared_layout.h\"", ""]
    for header in sys.argv[2:]:
        lines.append(f'#include "{header.rsplit("/", 1)[-1]}"')
    lines += ["", "namespace vorlane::layout {", "namespace {", ""]
    for i, r in enumerate(records):
        lines.append(f"using R{i} = {r.cpp};")
    lines += ["", "}  // namespace", "", "const std::vector<DeclaredRecord>& declared_records() {",
              "    static const std::vector<DeclaredRecord> records = {"]
    for i, r in enumerate(records):
        reason = cpp_string(r.unpublished) if r.unpublished else "nullptr"
        lines.append(f"        {{{cpp_string(r.key)}, sizeof(R{i}), alignof(R{i}), {reason}, {{")
        for published, member, why in r.fields:
            why_text = cpp_string(why) if why else "nullptr"
            lines.append(f"            {{{cpp_string(published)}, offsetof(R{i}, {member}), "
                         f"sizeof(R{i}::{member}), {why_text}}},")
        lines.append("        }},")
    lines += ["    };", "    return records;", "}", "",
              "const std::vector<DeclaredConstant>& declared_constants() {",
              "    static const std::vector<DeclaredConstant> constants = {"]
    for published, name, is_string in constants:
        if is_string:
            lines.append(f"        {{{cpp_string(published)}, 0, {name}}},")
        else:
            lines.append(f"        {{{cpp_string(published)}, static_cast<long long>({name}), nullptr}},")
    lines += ["    };", "    return constants;", "}", "",
              "const std::vector<UnpublishedName>& unpublished_names() {",
              "    static const std::vector<UnpublishedName> names = {"]
    for name, why in unpublished_names:
        lines.append(f"        {{{cpp_string(name)}, {cpp_string(why)}}},")
    lines += ["    };", "    return names;", "}", "", "}  // namespace vorlane::layout", ""]
    out.write("\n".join(lines))


def main():
    records, constants, unpublished_names = [], [], []
    try:
        for header in sys.argv[2:]:
            parse_header(header, records, constants, unpublished_names)
    except HeaderError as error:
        print(f"declared_layout.py: {error}", file=sys.stderr)
        return 1
    with open(sys.argv[1], "w", encoding="utf-8") as out:
        write_table(records, constants, unpublished_names, out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
