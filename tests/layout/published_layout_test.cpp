// The interface headers against the host SDK's published layouts: every record's size, alignment and field offsets,
// every suite table's member order, every constant's value. After Effects lays its records out, fills its tables and
// decodes its flags as published; the effect and our host agreeing with each other proves nothing about that.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <type_traits>

#include "AE_Effect.h"
#include "AE_EffectCBSuites.h"
#include "AE_GeneralPlug.h"
#include "SPBasic.h"
#include "layout/declared_layout.h"

namespace vorlane::layout {
namespace {

using nlohmann::json;

const json& published() {
    static const json table = [] {
        std::ifstream in(VORLANE_PUBLISHED_LAYOUT);
        return json::parse(in);
    }();
    return table;
}

std::string describe(std::size_t offset, std::size_t size) {
    return "offset " + std::to_string(offset) + ", size " + std::to_string(size);
}

// Every difference between one declared record and its published layout, one line each.
std::vector<std::string> record_differences(const DeclaredRecord& ours, const json& theirs) {
    std::vector<std::string> found;
    const std::string name = ours.name;
    if (theirs["size"] != ours.size || theirs["align"] != ours.align) {
        found.push_back(name + ": size " + std::to_string(ours.size) + ", align " + std::to_string(ours.align) +
                        "; published size " + theirs["size"].dump() + ", align " + theirs["align"].dump());
    }
    std::map<std::string, const DeclaredField*> declared;
    for (const DeclaredField& field : ours.fields) {
        declared[field.name] = &field;
    }
    std::set<std::string> seen;
    for (const json& field : theirs["fields"]) {
        const std::string member = field["name"];
        seen.insert(member);
        const auto at = declared.find(member);
        const std::string where = describe(field["offset"], field["size"]);
        if (at == declared.end()) {
            found.push_back(name + "::" + member + " is missing (published at " + where + ")");
        } else if (field["offset"] != at->second->offset || field["size"] != at->second->size) {
            found.push_back(name + "::" + member + " at " + describe(at->second->offset, at->second->size) +
                            "; published at " + where);
        }
    }
    for (const DeclaredField& field : ours.fields) {
        if (!seen.count(field.name) && field.unpublished == nullptr) {
            found.push_back(name + "::" + field.name + " at " + describe(field.offset, field.size) +
                            " is not published");
        }
    }
    return found;
}

std::string lines(const std::vector<std::string>& all) {
    std::ostringstream out;
    for (const std::string& line : all) {
        out << "\n  " << line;
    }
    return out.str();
}

TEST(PublishedLayout, RecordsAndSuiteTablesAreLaidOutAsPublished) {
    const json& records = published()["records"];
    std::vector<std::string> found;
    std::set<std::string> declared;
    for (const DeclaredRecord& record : declared_records()) {
        declared.insert(record.name);
        if (record.unpublished != nullptr) {
            EXPECT_FALSE(records.contains(record.name)) << record.name << " is published: drop the note on it";
            continue;
        }
        if (!records.contains(record.name)) {
            found.push_back(std::string(record.name) +
                            " is not published (say why in its header, or name it as "
                            "published)");
            continue;
        }
        const std::vector<std::string> differences = record_differences(record, records[record.name]);
        found.insert(found.end(), differences.begin(), differences.end());
    }
    for (const auto& [name, unused] : records.items()) {
        if (!declared.count(name)) {
            found.push_back(name + " is published but no header declares it");
        }
    }
    EXPECT_TRUE(found.empty()) << found.size() << " difference(s):" << lines(found);
}

TEST(PublishedLayout, ConstantsHaveThePublishedValues) {
    const json& constants = published()["constants"];
    std::set<std::string> unpublished;
    for (const UnpublishedName& name : unpublished_names()) {
        unpublished.insert(name.name);
    }
    std::vector<std::string> found;
    std::set<std::string> declared;
    for (const DeclaredConstant& constant : declared_constants()) {
        declared.insert(constant.name);
        const std::string name = constant.name;
        const std::string ours = constant.text ? json(constant.text).dump() : std::to_string(constant.value);
        if (!constants.contains(name)) {
            if (!unpublished.count(name)) {
                found.push_back(name + " = " + ours + " is not published");
            }
        } else if (constants[name] != (constant.text ? json(constant.text) : json(constant.value))) {
            found.push_back(name + " = " + ours + "; published " + constants[name].dump());
        }
    }
    for (const auto& [name, unused] : constants.items()) {
        if (!declared.count(name)) {
            found.push_back(name + " is published but no header declares it");
        }
    }
    EXPECT_TRUE(found.empty()) << found.size() << " difference(s):" << lines(found);
}

// The published table carries records and constants only; the widths and signedness of the scalar types that
// suite signatures pass by value are the SDK's too.
TEST(PublishedLayout, ScalarTypesHaveThePublishedWidths) {
    struct Scalar {
        const char* name;
        std::size_t size, published_size;
        bool is_signed, published_signed;
    };
#define VORLANE_SCALAR(T, size, is_signed) \
    { #T, sizeof(T), size, std::is_signed_v < T>, is_signed }
    const Scalar scalars[] = {
        VORLANE_SCALAR(SPBoolean, 4, true),
        VORLANE_SCALAR(A_Boolean, 1, false),
        VORLANE_SCALAR(AEGP_DynStreamFlags, 4, false),
        VORLANE_SCALAR(PF_NewWorldFlags, 4, true),
        VORLANE_SCALAR(A_HandleSize, 8, false),
        VORLANE_SCALAR(PF_PathID, 4, false),
        VORLANE_SCALAR(PF_ParamFlags, 4, true),
        VORLANE_SCALAR(AEGP_PluginID, 4, true),
    };
#undef VORLANE_SCALAR
    for (const Scalar& scalar : scalars) {
        EXPECT_EQ(scalar.size, scalar.published_size) << scalar.name;
        EXPECT_EQ(scalar.is_signed, scalar.published_signed)
            << scalar.name << (scalar.is_signed ? " is signed" : " is unsigned");
    }
}

}  // namespace
}  // namespace vorlane::layout
