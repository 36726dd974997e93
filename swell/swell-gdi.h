#pragma once
// The GDI functions: memory and window device contexts, font objects, text
// drawing and metrics, clipping and copies between contexts. Every function
// accepts null or deleted handles and then does nothing and returns 0/null.

#include "swell-types.h"

// A memory context of w x h pixels over a zeroed, 64-byte aligned buffer of
// 32-bit pixels (bytes B, G, R, A; rows top to bottom, w pixels per row),
// with its drawing origin at the top left. The reference context is ignored.
// Null when w or h is not positive or memory cannot be had.
HDC SWELL_CreateMemContext(HDC ref, int w, int h);
// Releases a context made by SWELL_CreateMemContext or SWELL_CreateGfxContext
// (a memory context's buffer with it); the handle then acts as null.
void SWELL_DeleteGfxContext(HDC ctx);
// The pixel buffer of a memory context; null for other contexts.
void* SWELL_GetCtxFrameBuffer(HDC ctx);
// A context that draws into an existing Core Graphics context (a
// CGContextRef, e.g. a graphics context's port), without a buffer.
HDC SWELL_CreateGfxContext(void* graphicsPort);
// The Core Graphics context (CGContextRef) of a device context.
void* SWELL_GetCtxGC(HDC ctx);

// A font object: size = |height|, else |width|; sizes outside 2..8192 become
// 10. The face name is looked up with " Bold" (weight >= 700) and " Italic"
// appended. Quality 3 draws without antialiasing, 4 with it, anything else
// keeps the context's setting. Release with DeleteObject.
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, int italic, int underline,
                 int strikeOut, int charSet, int outPrecision, int clipPrecision, int quality, int pitchAndFamily,
                 const char* faceName);
// CreateFont with the record's fields (orientation used for both angles).
HFONT CreateFontIndirect(const LOGFONT* lf);
// Selects a pen, brush or font into the context and returns the previous
// one of that kind (or the kind number 1/2/3 when none was selected); the
// handles 1, 2, 3 clear the slot; an unknown object selects nothing (null).
HGDIOBJ SelectObject(HDC ctx, HGDIOBJ obj);
// Drops one extra reference, or releases the object when it has none.
// Stock objects are never released.
void DeleteObject(HGDIOBJ obj);
// Adds an extra reference to an object; returns it.
HGDIOBJ SWELL_CloneGDIObject(HGDIOBJ obj);
// NULL_PEN (1) or NULL_BRUSH (2) stock objects; null for other values.
HGDIOBJ GetStockObject(int which);

// Text colour (RGB packing above); Set returns the previous colour,
// Get returns -1 for a null context.
int SetTextColor(HDC ctx, int colour);
int GetTextColor(HDC ctx);
// Background colour and mode (OPAQUE fills behind text); return the previous value.
int SetBkColor(HDC ctx, int colour);
int SetBkMode(HDC ctx, int mode);
// Metrics of the selected (or default) font; 0 with default metrics
// (height 16, ascent 12, descent 4, leading 3, average width 10) for a null context.
BOOL GetTextMetrics(HDC ctx, TEXTMETRIC* tm);
// Draws UTF-8 text (len bytes, or up to the NUL when negative) in the
// rectangle by the DT_ flags; returns the text height. With DT_CALCRECT only
// sets right and bottom to the text's extent.
int SWELL_DrawText(HDC ctx, const char* text, int len, RECT* r, UINT flags);

// Saves the clip (and graphics state); intersects the clip with a
// rectangle; restores the last saved state.
void SWELL_PushClipRegion(HDC ctx);
void SWELL_SetClipRegion(HDC ctx, const RECT* r);
void SWELL_PopClipRegion(HDC ctx);

// Copies w x h pixels from (sx, sy) of a memory context to (x, y) of ctx.
void BitBlt(HDC ctx, int x, int y, int w, int h, HDC src, int sx, int sy, int rop);
// Copies sw x sh source pixels scaled to w x h (nearest pixel); the source
// part outside the source bitmap is cut off, scaling the destination alike.
void StretchBlt(HDC ctx, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, int rop);
