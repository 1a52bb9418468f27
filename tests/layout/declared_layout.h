// What the interface headers declare, as the compiler lays it out: written at build time by declared_layout.py.
#pragma once

#include <cstddef>
#include <vector>

namespace vorlane::layout {

struct DeclaredField {
    const char* name;  // as the published table names it
    std::size_t offset;
    std::size_t size;
    const char* unpublished;  // why the table lacks it, or null
};

struct DeclaredRecord {
    const char* name;  // as the published table names it
    std::size_t size;
    std::size_t align;
    const char* unpublished;  // why the table lacks it, or null
    std::vector<DeclaredField> fields;
};

struct DeclaredConstant {
    const char* name;
    long long value;
    const char* text;  // a suite name; null for a number
};

// Constants the table does not carry, and why the header has them.
struct UnpublishedName {
    const char* name;
    const char* why;
};

const std::vector<DeclaredRecord>& declared_records();
const std::vector<DeclaredConstant>& declared_constants();
const std::vector<UnpublishedName>& unpublished_names();

}  // namespace vorlane::layout
