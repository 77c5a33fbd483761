#include "imaging/gdiplus_session.h"

namespace glyphpeek::imaging {

GdiplusSession::GdiplusSession() {
    GdiplusStartupInput input;  // version 1, no background thread suppression
    ULONG_PTR token = 0;
    if (GdiplusStartup(&token, &input, nullptr) == Ok) token_ = token;
}

GdiplusSession::~GdiplusSession() {
    if (token_) GdiplusShutdown(token_);
}

} // namespace imaging
