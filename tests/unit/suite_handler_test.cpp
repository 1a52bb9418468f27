#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/HostSuiteHandler.h"
#include "host/KnownSuites.h"

namespace vorlane::effect {
namespace {

using SuiteId = std::pair<std::string, A_long>;
using Ids = std::vector<SuiteId>;

// A basic suite that records every acquisition and release, and can refuse a suite or hand out a null table.
struct RecordingHost {
    RecordingHost() {
        current = this;
        basic.AcquireSuite = [](const char* name, A_long version, const void** suite) -> SPErr {
            const SuiteId id{name, version};
            current->acquired.push_back(id);
            if (current->withheld.count(id) != 0) {
                return 1;
            }
            static const char table = 0;
            *suite = current->served_null.count(id) != 0 ? nullptr : &table;
            return kSPNoError;
        };
        basic.ReleaseSuite = [](const char* name, A_long version) -> SPErr {
            current->released.push_back({name, version});
            return kSPNoError;
        };
    }
    ~RecordingHost() { current = nullptr; }

    static inline RecordingHost* current = nullptr;
    SPBasicSuite basic{};
    Ids acquired;
    Ids released;
    std::set<SuiteId> withheld;
    std::set<SuiteId> served_null;
};

TEST(KnownSuites, HoldsEveryNameAndVersionOnceWithTheHostsSpelling) {
    std::set<SuiteId> seen;
    std::set<std::string> names;
    for (const KnownSuite& suite : kKnownSuites) {
        EXPECT_TRUE(seen.insert({suite.name, suite.version}).second) << suite.name << " " << suite.version;
        names.insert(suite.name);
    }
    EXPECT_EQ(seen.size(), 135u);
    EXPECT_EQ(SuiteId(kKnownSuites[0].name, kKnownSuites[0].version), SuiteId("AEGP Marker Suite", 1));
    EXPECT_EQ(SuiteId(kKnownSuites[134].name, kKnownSuites[134].version), SuiteId("SP Suites Suite", 2));
    for (const char* odd : {"PF iterate16 Suite", "PF iterateFloat Suite", "AEGP Render Asyc Manager Suite",
                            "PF ColorParamSuite", "AE Plugin Helper Suite2"}) {
        EXPECT_EQ(names.count(odd), 1u) << odd;
    }
}

TEST(HostSuiteHandler, EachAccessorAcquiresItsOwnSuiteOnceAndReleasesItWithTheSameNameAndVersion) {
    RecordingHost host;
    {
        HostSuiteHandler suites(&host.basic);
        const void* first = suites.pathDataSuite();
        EXPECT_EQ(suites.pathDataSuite(), first);
        EXPECT_EQ(suites.pathDataSuite(), first);
        suites.ansiSuite();
        suites.handleSuite();
        suites.utilitySuite();
        suites.paramUtilsSuite();
        suites.pfInterfaceSuite();
        suites.streamSuite();
        suites.dynamicStreamSuite();
        suites.effectSuite();
        suites.pathQuerySuite();
        suites.worldSuite();
        suites.worldTransformSuite();
        EXPECT_TRUE(host.released.empty());
    }
    const Ids expected = {{"PF Path Data Suite", 1},   {"PF ANSI Suite", 1},
                          {"PF Handle Suite", 2},      {"AEGP Utility Suite", 7},
                          {"PF Param Utils Suite", 3}, {"AEGP PF Interface Suite", 1},
                          {"AEGP Stream Suite", 7},    {"AEGP Dynamic Stream Suite", 2},
                          {"AEGP Effect Suite", 2},    {"PF Path Query Suite", 1},
                          {"PF World Suite", 1},       {"PF World Transform Suite", 1}};
    EXPECT_EQ(host.acquired, expected);
    EXPECT_EQ(std::multiset<SuiteId>(host.released.begin(), host.released.end()),
              std::multiset<SuiteId>(expected.begin(), expected.end()));
}

TEST(HostSuiteHandler, ReleasesTheRenderSuitesInTableOrderWhateverTheAcquisitionOrder) {
    const Ids release_order = {{"PF Path Query Suite", 1},
                               {"PF Path Data Suite", 1},
                               {"PF ANSI Suite", 1},
                               {"PF World Transform Suite", 1},
                               {"PF World Suite", 1}};
    RecordingHost host;
    {
        HostSuiteHandler suites(&host.basic);
        suites.worldSuite();
        suites.ansiSuite();
        suites.pathQuerySuite();
        suites.worldTransformSuite();
        suites.pathDataSuite();
    }
    EXPECT_EQ(host.released, release_order);
    host.released.clear();
    { HostSuiteHandler unused(&host.basic); }
    EXPECT_TRUE(host.released.empty());
}

TEST(HostSuiteHandler, AMissingSuiteThrows516AndTheSuitesAlreadyHeldAreReleased) {
    for (const bool null_table : {false, true}) {
        RecordingHost host;
        const SuiteId missing{"PF World Transform Suite", 1};
        (null_table ? host.served_null : host.withheld).insert(missing);
        try {
            HostSuiteHandler suites(&host.basic);
            suites.ansiSuite();
            suites.pathQuerySuite();
            suites.worldTransformSuite();
            FAIL() << "no error thrown";
        } catch (PF_Err err) {
            EXPECT_EQ(err, 516);
        }
        EXPECT_EQ(host.released, (Ids{{"PF Path Query Suite", 1}, {"PF ANSI Suite", 1}}));
    }
}

TEST(HostSuiteHandler, ASuiteRefusedOnceIsAskedForAgainAndReleasedOnlyWhenHeld) {
    RecordingHost host;
    const SuiteId path_data{"PF Path Data Suite", 1};
    host.served_null.insert(path_data);
    {
        HostSuiteHandler suites(&host.basic);
        EXPECT_THROW(suites.pathDataSuite(), PF_Err);
        host.served_null.clear();
        EXPECT_NE(suites.pathDataSuite(), nullptr);
    }
    EXPECT_EQ(host.acquired, (Ids{path_data, path_data}));
    EXPECT_EQ(host.released, (Ids{path_data}));
}

TEST(HostSuiteHandler, ANullBasicSuiteThrows516) {
    try {
        HostSuiteHandler suites(nullptr);
        FAIL() << "no error thrown";
    } catch (PF_Err err) {
        EXPECT_EQ(err, kMissingSuiteError);
        EXPECT_EQ(err, 516);
    }
}

}  // namespace
}  // namespace vorlane::effect
