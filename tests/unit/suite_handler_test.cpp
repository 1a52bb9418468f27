#include <gtest/gtest.h>

#include <set>

#include "host/HostSuiteHandler.h"
#include "host/KnownSuites.h"
#include "support/MiniHost.h"

namespace vorlane {
namespace {

using test::MiniHost;
using test::SuiteId;
using Ids = std::vector<SuiteId>;

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
    MiniHost host;
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
    MiniHost host;
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
        MiniHost host;
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
    MiniHost host;
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
}  // namespace vorlane
