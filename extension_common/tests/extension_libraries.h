#pragma once
// The two extension libraries as the tests reach them: registered for all users and created through
// COM activation, or copied to a folder of their own and created through their class factories.
#include <windows.h>
#include <unknwn.h>

#include <filesystem>
#include <vector>

#include "core/non_copyable.h"

// Typorama.dll and TyporamaVista.dll of the test folder, registered for the lifetime of this object as
// regsvr32 leaves them (and COM started on the calling thread).
class RegisteredExtensions : glyphpeek::NonCopyable {
public:
    RegisteredExtensions();
    ~RegisteredExtensions();
    // An object of a registered class, through CoCreateInstance.
    static IUnknown* Create(const CLSID& clsid);

private:
    std::vector<HMODULE> modules_;
};

// A folder of the test folder, empty at first and removed afterwards, to copy the libraries into.
class LibraryFolder : glyphpeek::NonCopyable {
public:
    explicit LibraryFolder(const wchar_t* name);
    ~LibraryFolder();

    const std::filesystem::path& path() const { return folder_; }
    // Copies a file of the test folder here, under another name when `as` is given.
    void Copy(const wchar_t* name, const wchar_t* as = nullptr) const;
    // An object of `clsid` from the copy of `library`, through its own DllGetClassObject.
    IUnknown* Create(const wchar_t* library, const CLSID& clsid);

private:
    std::filesystem::path folder_;
    std::vector<HMODULE> loaded_;
};
