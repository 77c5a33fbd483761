#pragma once
// The OpenType Sanitizer's headers. GCC 12 sees OTSStream::Pad's one-byte write through Write's
// four-byte loop, which that length never enters, and warns about the inlined header code in spite of
// -isystem; the warning is kept out here, once.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#endif
#include <opentype-sanitiser.h>
#include <ots-memory-stream.h>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
