#pragma once
#include "imaging/gdiplus_api.h"

#include "core/non_copyable.h"

namespace glyphpeek::imaging {

// GDI+ started for the lifetime of the object (version 1). Start-ups are counted by GDI+ itself, so
// sessions nest: each caller opens its own around the work that needs it.
class GdiplusSession : glyphpeek::NonCopyable {
public:
    GdiplusSession();
    ~GdiplusSession();
    bool ok() const { return token_ != 0; }

private:
    ULONG_PTR token_ = 0;
};

} // namespace imaging
