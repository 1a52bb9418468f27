// What a request body may be. The page sends small JSON bodies with a Content-Length, never chunked nor
// compressed; cpp-httplib would read a chunked body without a bound and inflate a compressed one past any limit,
// so both are refused before the body is read, as is a length above the limit.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "preview/RequestGuard.h"

namespace vorlane::host {

struct BodyFraming {
    std::vector<std::string> content_lengths;  // every Content-Length header's value
    bool transfer_encoding = false;            // any Transfer-Encoding header
    std::string content_encoding;              // empty when absent
};

GuardVerdict check_body(const BodyFraming& framing, std::size_t max_body);

}  // namespace vorlane::host
