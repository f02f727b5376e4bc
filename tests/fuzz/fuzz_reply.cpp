// SPDX-License-Identifier: GPL-3.0-or-later
// Any message the game may take for the service's reply. What it accepts
// encodes to a reply that decodes to the same, only a load carries texts,
// and the record score's text reads as a number within that text.
#include "leadingnumber.h"
#include "request.h"

#include <cassert>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size)
{
    if (const auto reply = parseReply({reinterpret_cast<const char *>(data), size})) {
        assert(parseReply(encodeReply(*reply)) == reply && reply->error >= 0);
        assert(reply->kind == Reply::Loaded ? reply->score.size() + reply->name.size() < size
                                            : reply->score.empty() && reply->name.empty());
        const LeadingNumber score = leadingNumber(reply->score);
        assert(score.end <= reply->score.size() && (score.found || score.value == 0));
    }
    return 0;
}
