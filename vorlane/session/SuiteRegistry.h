// The host's table of function suites, found by (name, version) the way SPBasicSuite::AcquireSuite finds them.
//
// Every AcquireSuite and ReleaseSuite the effect makes is counted here per (name, version), and the order of the
// releases is kept, so a test can assert that each command balanced what it acquired. Any suite can be withheld
// (AcquireSuite answers with an error) or served as "success with a null pointer", the two ways a real host can
// fail to give a suite.
//
// Adding a suite is one call: registry.add(kPFHandleSuite, kPFHandleSuiteVersion2, &my_static_table). The table
// must outlive the registry; plain static const tables of function pointers are the intended use.
//
// Thread-safe: renders on several threads acquire through one registry.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "SPBasic.h"

namespace vorlane::host {

// The basic suite's "no such suite" answer ('S!Fd').
constexpr SPErr kSuiteNotFoundError = 0x53214664;
// ReleaseSuite of a suite that is not held ('Parm').
constexpr SPErr kSuiteBadParameterError = 0x5061726d;

struct SuiteKey {
    std::string name;
    A_long version = 0;
    auto operator<=>(const SuiteKey&) const = default;
};

struct SuiteCounts {
    int acquired = 0;  // AcquireSuite calls that handed out a usable table
    int refused = 0;   // AcquireSuite calls answered with an error or a null table
    int released = 0;  // ReleaseSuite calls that matched a held acquisition
    int unmatched_releases = 0;
};

class SuiteRegistry {
  public:
    SuiteRegistry() = default;
    SuiteRegistry(const SuiteRegistry&) = delete;
    SuiteRegistry& operator=(const SuiteRegistry&) = delete;

    // Registers (or replaces) the function table served for (name, version).
    void add(const std::string& name, A_long version, const void* table);
    template <class Table>
    void add(const std::string& name, A_long version, const Table* table) {
        add(name, version, static_cast<const void*>(table));
    }
    bool has(const std::string& name, A_long version) const;

    // Fault settings: AcquireSuite answers `error`; or answers success with a null table.
    void withhold(const std::string& name, A_long version, SPErr error = kSuiteNotFoundError);
    void serve_null(const std::string& name, A_long version);
    void restore(const std::string& name, A_long version);  // undoes withhold/serve_null

    // What SPBasicSuite::AcquireSuite and ReleaseSuite do.
    SPErr acquire(const char* name, A_long version, const void** suite);
    SPErr release(const char* name, A_long version);

    SuiteCounts counts(const std::string& name, A_long version) const;
    int total_acquired() const;
    // Acquisitions not yet released, over all suites; 0 when every command balanced its suites.
    int outstanding() const;
    std::vector<SuiteKey> acquire_order() const;
    std::vector<SuiteKey> release_order() const;
    void clear_counts();

  private:
    enum class Serve { table, withheld, null_table };
    struct Entry {
        const void* table = nullptr;
        Serve serve = Serve::table;
        SPErr error = kSuiteNotFoundError;
        SuiteCounts counts;
    };

    mutable std::mutex mutex_;
    std::map<SuiteKey, Entry> entries_;
    std::vector<SuiteKey> acquire_order_;
    std::vector<SuiteKey> release_order_;
};

}  // namespace vorlane::host
