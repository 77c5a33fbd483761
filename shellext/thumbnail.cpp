// CThumbnail of Typorama.
#include <windows.h>

#include "com_object.h"
#include "type_library.h"
#include "Typorama.h"
#include "typorama_classes.h"

namespace glyphpeek::typorama {
namespace {

using namespace com;

class CThumbnail final : public ComObject<CThumbnail, DispatchImpl<IThumbnail, IID_IThumbnail>> {
public:
    static std::span<const InterfaceEntry<CThumbnail>> Interfaces() noexcept {
        static constexpr InterfaceEntry<CThumbnail> kTable[] = {
            Implements<CThumbnail, IThumbnail>(IID_IThumbnail),
            Implements<CThumbnail, IDispatch, IThumbnail>(IID_IDispatch),
        };
        return kTable;
    }
};

} // namespace

HRESULT CreateThumbnail(IUnknown* outer, REFIID riid, void** ppv) noexcept {
    return CreateComObject<CThumbnail>(outer, riid, ppv);
}

} // namespace glyphpeek::typorama
