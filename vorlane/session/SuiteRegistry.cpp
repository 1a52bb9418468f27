#include "session/SuiteRegistry.h"

namespace vorlane::host {

void SuiteRegistry::add(const std::string& name, A_long version, const void* table) {
    std::lock_guard lock(mutex_);
    entries_[SuiteKey{name, version}].table = table;
}

bool SuiteRegistry::has(const std::string& name, A_long version) const {
    std::lock_guard lock(mutex_);
    const auto it = entries_.find(SuiteKey{name, version});
    return it != entries_.end() && it->second.table != nullptr;
}

void SuiteRegistry::withhold(const std::string& name, A_long version, SPErr error) {
    std::lock_guard lock(mutex_);
    Entry& entry = entries_[SuiteKey{name, version}];
    entry.serve = Serve::withheld;
    entry.error = error;
}

void SuiteRegistry::serve_null(const std::string& name, A_long version) {
    std::lock_guard lock(mutex_);
    entries_[SuiteKey{name, version}].serve = Serve::null_table;
}

void SuiteRegistry::restore(const std::string& name, A_long version) {
    std::lock_guard lock(mutex_);
    entries_[SuiteKey{name, version}].serve = Serve::table;
}

SPErr SuiteRegistry::acquire(const char* name, A_long version, const void** suite) {
    if (suite == nullptr) {
        return kSuiteBadParameterError;
    }
    *suite = nullptr;
    if (name == nullptr) {
        return kSuiteBadParameterError;
    }
    std::lock_guard lock(mutex_);
    SuiteKey key{name, version};
    Entry& entry = entries_[key];  // unknown names get an entry too, so refusals are counted
    if (entry.serve == Serve::null_table) {
        ++entry.counts.refused;
        return kSPNoError;
    }
    if (entry.serve == Serve::withheld || entry.table == nullptr) {
        ++entry.counts.refused;
        return entry.serve == Serve::withheld ? entry.error : kSuiteNotFoundError;
    }
    // Listed before it is counted: an acquisition the list has no room for is refused, not held.
    acquire_order_.push_back(std::move(key));
    ++entry.counts.acquired;
    *suite = entry.table;
    return kSPNoError;
}

SPErr SuiteRegistry::release(const char* name, A_long version) {
    if (name == nullptr) {
        return kSuiteBadParameterError;
    }
    std::lock_guard lock(mutex_);
    SuiteKey key{name, version};
    Entry& entry = entries_[key];
    if (entry.counts.released >= entry.counts.acquired) {
        ++entry.counts.unmatched_releases;
        return kSuiteBadParameterError;
    }
    release_order_.push_back(std::move(key));
    ++entry.counts.released;
    return kSPNoError;
}

SuiteCounts SuiteRegistry::counts(const std::string& name, A_long version) const {
    std::lock_guard lock(mutex_);
    const auto it = entries_.find(SuiteKey{name, version});
    return it == entries_.end() ? SuiteCounts{} : it->second.counts;
}

int SuiteRegistry::total_acquired() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(acquire_order_.size());
}

int SuiteRegistry::outstanding() const {
    std::lock_guard lock(mutex_);
    int held = 0;
    for (const auto& [key, entry] : entries_) {
        held += entry.counts.acquired - entry.counts.released;
    }
    return held;
}

std::vector<SuiteKey> SuiteRegistry::acquire_order() const {
    std::lock_guard lock(mutex_);
    return acquire_order_;
}

std::vector<SuiteKey> SuiteRegistry::release_order() const {
    std::lock_guard lock(mutex_);
    return release_order_;
}

void SuiteRegistry::clear_counts() {
    std::lock_guard lock(mutex_);
    for (auto& [key, entry] : entries_) {
        entry.counts = SuiteCounts{};
    }
    acquire_order_.clear();
    release_order_.clear();
}

}  // namespace vorlane::host
