// The params table reads records the effect filled: unusual ones must still print something true.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "cli/ParamTable.h"

namespace vorlane::host::test {
namespace {

TEST(HostParamTable, PopupsNameTheirDefaultChoiceEvenOutsideTheChoices) {
    PF_ParamDef def{};
    def.param_type = PF_Param_POPUP;
    std::strcpy(def.name, "Mode");
    def.u.pd.num_choices = 2;
    def.u.pd.u.namesptr = "Incremental|Constant";
    def.u.pd.dephault = 2;
    EXPECT_EQ(param_row(16, def).dephault, "2 (Constant)");
    def.u.pd.dephault = 0;
    EXPECT_EQ(param_row(16, def).dephault, "0 (no choice)");
    def.u.pd.u.namesptr = nullptr;
    def.u.pd.dephault = 1;
    EXPECT_EQ(param_row(16, def).dephault, "1 ()");
}

TEST(HostParamTable, FloatSlidersShowPrecisionPercentAndRanges) {
    PF_ParamDef def{};
    def.param_type = PF_Param_FLOAT_SLIDER;
    def.flags = PF_ParamFlag_SUPERVISE | PF_ParamFlag_CANNOT_TIME_VARY | (1L << 20);
    def.u.fs_d.dephault = 12.5f;
    def.u.fs_d.precision = 1;
    def.u.fs_d.display_flags = PF_ValueDisplayFlag_PERCENT;
    def.u.fs_d.valid_min = -10000;
    def.u.fs_d.valid_max = 10000;
    def.u.fs_d.slider_max = 100;
    const ParamRow row = param_row(7, def);
    EXPECT_EQ(row.dephault, "12.5%");
    EXPECT_EQ(row.valid_range, "-10000 .. 10000");
    EXPECT_EQ(row.slider_range, "0 .. 100");
    EXPECT_EQ(row.flags, "SUP CTV 0x100000");
}

// Written as the numbers After Effects stores, so that the legend follows the published bits, not our names for them.
TEST(HostParamTable, FlagsAreNamedByThePublishedBits) {
    struct Case {
        PF_ParamType type;
        PF_ParamFlags flags;
        const char* names;
    };
    for (const Case& c : {Case{PF_Param_FLOAT_SLIDER, 64 | 2, "SUP CTV"}, Case{PF_Param_GROUP_START, 32, "TW"},
                          Case{PF_Param_POPUP, 4, "CANNOT_INTERP"}, Case{PF_Param_LAYER, 128, "TRACKMATTE"},
                          Case{PF_Param_CHECKBOX, 128, "OLD_PROJECTS"}, Case{PF_Param_SLIDER, 1 | 16, "0x11"}}) {
        PF_ParamDef def{};
        def.param_type = c.type;
        def.flags = c.flags;
        EXPECT_EQ(param_row(1, def).flags, c.names) << "flags " << c.flags;
    }
}

TEST(HostParamTable, ColumnsLineUpAndLinesCarryNoTrailingSpaces) {
    PF_ParamDef layer{}, angle{};
    layer.param_type = PF_Param_LAYER;
    angle.param_type = PF_Param_ANGLE;
    std::memset(angle.name, 'n', sizeof angle.name);  // unterminated: read no further than the field
    angle.u.ad.dephault = 90 << 16;
    std::ostringstream out;
    print_param_table(out, {param_row(0, layer), param_row(35, angle)});
    std::istringstream lines(out.str());
    std::string header, first, second;
    std::getline(lines, header);
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_EQ(first.rfind("0   (input layer)", 0), 0u) << first;
    const std::size_t type_column = header.find("type");
    EXPECT_EQ(first.substr(type_column, 6), "layer ");
    EXPECT_EQ(second.substr(type_column, 6), "angle ");
    EXPECT_NE(second.find("90 deg"), std::string::npos);
    EXPECT_EQ(second.find(std::string(33, 'n')), std::string::npos);
    EXPECT_NE(first.back(), ' ');
}

}  // namespace
}  // namespace vorlane::host::test
