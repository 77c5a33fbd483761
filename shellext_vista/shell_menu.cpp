// CShellMenu of TyporamaVista: registered and creatable; its Explorer menu is not built yet, so it answers
// only its automation interface and Explorer passes over it.
// (Kept apart from the shell headers: they declare a different interface of the same name.)
#include <windows.h>

#include "com_object.h"
#include "type_library.h"
#include "TyporamaVista.h"
#include "vista_classes.h"

namespace glyphpeek::vista {
namespace {

using namespace com;

class CShellMenu final : public ComObject<CShellMenu, DispatchImpl<IShellMenu, IID_IShellMenu>> {
public:
    static std::span<const InterfaceEntry<CShellMenu>> Interfaces() noexcept {
        static constexpr InterfaceEntry<CShellMenu> kTable[] = {
            Implements<CShellMenu, IShellMenu>(IID_IShellMenu),
            Implements<CShellMenu, IDispatch, IShellMenu>(IID_IDispatch),
        };
        return kTable;
    }
};

} // namespace

HRESULT CreateShellMenu(IUnknown* outer, REFIID riid, void** ppv) noexcept {
    return CreateComObject<CShellMenu>(outer, riid, ppv);
}

} // namespace glyphpeek::vista
