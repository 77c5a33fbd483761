#include "extension_common/stream_reading.h"

namespace glyphpeek::extension_common {

HRESULT ReadWholeStream(IStream* stream, void* buffer, ULONG size) noexcept {
    if (!stream || (!buffer && size > 0)) return E_POINTER;
    auto* bytes = static_cast<BYTE*>(buffer);
    ULONG done = 0;
    while (done < size) {
        ULONG got = 0;
        const HRESULT hr = stream->Read(bytes + done, size - done, &got);
        if (FAILED(hr)) return hr;
        // Nothing more (S_FALSE, or S_OK from streams that say so that way), or a stream that claims
        // more than it was asked for: the content is not what Stat promised.
        if (got == 0 || got > size - done) return E_FAIL;
        done += got;
    }
    return S_OK;
}

} // namespace glyphpeek::extension_common
