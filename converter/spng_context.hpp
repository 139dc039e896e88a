// A libspng context (a decoder or, with SPNG_CTX_ENCODER, an encoder), freed
// with its owner. The reader and the preview writer share it.
#pragma once

#include <spng.h>

#include <memory>
#include <new>

using SpngContext = std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)>;

// A new context; none to be had is running out of memory.
inline SpngContext NewSpngContext(int flags)
{
    SpngContext context(spng_ctx_new(flags), spng_ctx_free);
    if (!context) {
        throw std::bad_alloc();
    }
    return context;
}
