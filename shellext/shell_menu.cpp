// CShellMenu of Typorama: registered and creatable; its Explorer menu is not built yet, so it answers
// only its automation interface and Explorer passes over it.
// (Kept apart from the shell headers: they declare a different interface of the same name.)
#include <windows.h>

#include "com_object.h"
#include "type_library.h"
#include "Typorama.h"
#include "typorama_classes.h"

namespace glyphpeek::typorama {
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

} // namespace glyphpeek::typorama
