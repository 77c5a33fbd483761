#pragma once
// A base for classes that own something (a handle, a registration, a session) and so must not be
// copied: a copy would release it twice.
namespace glyphpeek {

class NonCopyable {
protected:
    NonCopyable() = default;
    ~NonCopyable() = default;

public:
    NonCopyable(const NonCopyable&) = delete;
    NonCopyable& operator=(const NonCopyable&) = delete;
};

} // namespace glyphpeek
