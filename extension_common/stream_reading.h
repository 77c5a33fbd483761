#pragma once
// Reading a thumbnail's stream whole.
#include <windows.h>
#include <objidl.h>

namespace glyphpeek::extension_common {

// Reads `size` bytes from the stream's current position into `buffer`, in as many Read calls as the
// stream needs: a read may deliver fewer bytes than asked (network and cloud files do), so only an
// error or an early end fails (the stream's error, or E_FAIL for an end before `size`).
HRESULT ReadWholeStream(IStream* stream, void* buffer, ULONG size) noexcept;

} // namespace glyphpeek::extension_common
