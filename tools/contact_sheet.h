#pragma once
// Thumbnails side by side on one grey sheet, saved as PNG, so a run's results can be seen at once.
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/drawing_context.h"

class ContactSheet {
public:
    // Room for `count` cells of cellWidth × cellHeight in one row.
    ContactSheet(int count, int cellWidth, int cellHeight);
    // Puts the image into cell `index`, at its own size from the cell's top left corner.
    void Place(int index, Gdiplus::GpImage* image);
    Gdiplus::GpStatus Save(const wchar_t* path) const;

private:
    static constexpr int kGap = 8;
    int cellWidth_, cellHeight_;
    glyphpeek::imaging::ArgbBitmap sheet_;
    glyphpeek::imaging::DrawingContext context_;
};

// A GDI+ copy of a GDI bitmap handle, as Explorer receives thumbnails; empty when it cannot be made.
glyphpeek::imaging::ArgbBitmap CopyGdiBitmap(HBITMAP bitmap);
