#pragma once
// Win32-style scalar types, handles, records and flag values of the GDI layer.

typedef signed char BOOL;  // the same type as Foundation's BOOL
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef unsigned int DWORD;
typedef unsigned int UINT;
typedef int LONG;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Device context and GDI object handles. Handle values 1 to 4 are stock
// pseudo-objects, never records.
typedef struct HDC__* HDC;
typedef struct HGDIOBJ__* HGDIOBJ;
typedef HGDIOBJ HFONT;
typedef HGDIOBJ HPEN;
typedef HGDIOBJ HBRUSH;
typedef HGDIOBJ HBITMAP;

// Integer rectangle; right and bottom are exclusive.
struct RECT
{
  LONG left, top, right, bottom;
};

// Font metrics filled by GetTextMetrics (pixels).
struct TEXTMETRIC
{
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmAveCharWidth;
};

#define LF_FACESIZE 32
// Font request for CreateFontIndirect.
struct LOGFONT
{
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  char lfFaceName[LF_FACESIZE];
};

// Colours: red in bits 16-23, green in bits 8-15, blue in bits 0-7.
#define RGB(r, g, b) ((((r)&0xff) << 16) | (((g)&0xff) << 8) | ((b)&0xff))
#define GetRValue(c) (((c) >> 16) & 0xff)
#define GetGValue(c) (((c) >> 8) & 0xff)
#define GetBValue(c) ((c)&0xff)

// SWELL_DrawText flags.
#define DT_TOP 0x0
#define DT_LEFT 0x0
#define DT_CENTER 0x1
#define DT_RIGHT 0x2
#define DT_VCENTER 0x4
#define DT_BOTTOM 0x8
#define DT_SINGLELINE 0x20
#define DT_NOCLIP 0x100
#define DT_CALCRECT 0x400
#define DT_NOPREFIX 0x800

// Background modes (SetBkMode): only OPAQUE fills behind text.
#define TRANSPARENT 0
#define OPAQUE 1

// Font weights and qualities (CreateFont).
#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_EXTRALIGHT 200
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_EXTRABOLD 800
#define FW_HEAVY 900
#define DEFAULT_QUALITY 0
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4

// Stock objects (GetStockObject).
#define NULL_PEN 1
#define NULL_BRUSH 2

// Raster operations (BitBlt, StretchBlt): SRCCOPY ignores the source alpha,
// SRCCOPY_USEALPHACHAN composites with it.
#define SRCCOPY 0x00CC0020
#define SRCCOPY_USEALPHACHAN ((int)0xDEADBEEF)
