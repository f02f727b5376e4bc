// SPDX-License-Identifier: GPL-3.0-or-later
// Any message a client may send. A request the service takes is one that
// the game writes in exactly these bytes, and its fields are in bounds.
#include "request.h"

#include <cassert>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size)
{
    const std::string_view message(reinterpret_cast<const char *>(data), size);
    if (const std::optional<Request> request = parseRequest(message)) {
        assert(encodeRequest(*request) == message && message.size() <= maxRequestBytes);
        assert(request->score >= 0 && request->score <= 32767 && isName(request->name));
    }
    return 0;
}
