#pragma once
// The flat GDI+ API: GDI+ objects cross between our deliverables as these handles, which are stable
// across compilers, unlike the C++ wrapper classes.
#include <windows.h>
#include <objidl.h>
// The GDI+ headers use min and max unqualified.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}
#include <gdiplus.h>

namespace glyphpeek::imaging {
using namespace Gdiplus;
using namespace Gdiplus::DllExports;
} // namespace imaging
