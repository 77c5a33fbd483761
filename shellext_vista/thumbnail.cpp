// CThumbnail of TyporamaVista.
#include <windows.h>

#include "com_object.h"
#include "type_library.h"
#include "TyporamaVista.h"
#include "vista_classes.h"

namespace glyphpeek::vista {
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

} // namespace glyphpeek::vista
