// Delivery data that travels with a queued message: which handler of the
// looper receives it, and where a reply would go. Kept in BMessage's
// fDelivery handle; replaced, never changed in place, because copies of a
// message share the handle.
#pragma once

#include <SupportDefs.h>

namespace BPrivate {

// Handler tokens are positive; these mean "no handler".
constexpr int32 B_NULL_TOKEN = -1;

struct MessageDelivery {
    int32 handlerToken = B_NULL_TOKEN; // the target handler
    bool preferred = false;            // the looper's preferred handler
    int32 replyLooperToken = B_NULL_TOKEN;
    int32 replyHandlerToken = B_NULL_TOKEN;
};

} // namespace BPrivate
