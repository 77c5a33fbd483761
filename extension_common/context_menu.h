#pragma once
// What the context-menu handlers of both extension libraries share: the items they add and the
// answers Explorer gets about them, and a COM class base over IShellExtInit and IContextMenu.
//
//   class CShellMenu final : public extension_common::ShellMenuObject<CShellMenu, IShellMenu, IID_IShellMenu> {
//   public:
//       static std::span<const extension_common::MenuItem> Items(bool allStubs);   // in menu order
//       static std::wstring Text(UINT id);                                  // the library's strings
//       HRESULT Run(extension_common::MenuCommand command);                          // InvokeCommand's answer
//   };
#include "extension_common/shell_interfaces.h"

#include <optional>
#include <span>
#include <string>

#include "framework/com/com_object.h"
#include "extension_common/file_selection.h"
#include "framework/com/type_library.h"

namespace glyphpeek::extension_common {

enum class MenuCommand { kInstall, kUninstall, kUpdateThumbnail, kOutputPicture };

struct MenuItem {
    MenuCommand command;
    UINT text;  // string id of the item
    UINT help;  // string id of its help text
};

using TextSource = std::wstring (*)(UINT id);

// The items of the last QueryContextMenu, at command offsets 0, 1, ... in the order inserted.
class AddedItems {
public:
    // Inserts `items` by position at `index` with identifiers from `firstId` on; nothing for
    // CMF_DEFAULTONLY. Answers the number inserted as a success code.
    HRESULT Insert(HMENU menu, UINT index, UINT firstId, UINT flags, std::span<const MenuItem> items, TextSource text);
    // The help text of the item at `offset`, Unicode (GCS_UNICODE) or in the thread's ANSI code page,
    // at most `capacity` units or bytes with the terminator. The items have no verbs: an ANSI verb request
    // (GCS_VERBA) is refused, a Unicode one (GCS_VERBW) answers the help text.
    // Unicode validation of an existing item succeeds also without a buffer.
    HRESULT HelpText(UINT_PTR offset, UINT type, char* out, UINT capacity, TextSource text) const;
    // The command InvokeCommand names by offset; none for a string verb or an offset past the items.
    std::optional<MenuCommand> Invoked(const CMINVOKECOMMANDINFO* info) const;

private:
    static constexpr size_t kMaxItems = 4;
    MenuItem added_[kMaxItems] = {};
    size_t count_ = 0;
};

template <typename Derived, typename Automation, const IID& AutomationIid>
class ShellMenuObject
    : public com::ComObject<Derived, com::DispatchImpl<Automation, AutomationIid>, IShellExtInit, IContextMenu> {
public:
    static std::span<const com::InterfaceEntry<Derived>> Interfaces() noexcept {
        static constexpr com::InterfaceEntry<Derived> kTable[] = {
            com::Implements<Derived, Automation>(AutomationIid),
            com::Implements<Derived, IDispatch, Automation>(IID_IDispatch),
            com::Implements<Derived, IShellExtInit>(IID_IShellExtInit),
            com::Implements<Derived, IContextMenu>(IID_IContextMenu),
        };
        return kTable;
    }

    // IShellExtInit
    IFACEMETHODIMP Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) override {
        try {
            return selection_.Read(data);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    // IContextMenu
    IFACEMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT, UINT flags) override {
        return added_.Insert(menu, index, firstId, flags, Derived::Items(selection_.allStubs()), &Derived::Text);
    }
    IFACEMETHODIMP GetCommandString(UINT_PTR offset, UINT type, UINT*, CHAR* out, UINT capacity) override {
        try {
            return added_.HelpText(offset, type, out, capacity, &Derived::Text);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
    IFACEMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override {
        const std::optional<MenuCommand> command = added_.Invoked(info);
        if (!command || selection_.empty()) return E_INVALIDARG;
        try {
            return static_cast<Derived*>(this)->Run(*command);
        } catch (...) {
            return E_FAIL;
        }
    }

protected:
    ShellMenuObject() = default;

    FileSelection selection_;

private:
    AddedItems added_;
};

} // namespace glyphpeek::extension_common
