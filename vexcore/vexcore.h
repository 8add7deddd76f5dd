/* SPDX-License-Identifier: GPL-3.0-or-later */
/*
 * vexcore: image utility library for imaging applications. File access through file handles,
 * helpers for device-independent bitmaps (DIBs) and palettes, mirroring of scan lines, a modeless
 * progress dialog with a percentage bar, string helpers that respect double-byte character sets,
 * and the global memory blocks in which images travel between imaging libraries.
 *
 * The 34 functions of the library's interface come first. After them come the few stand-ins for
 * the Windows objects that those functions take and give (memory blocks, palettes, bitmaps,
 * device contexts, windows), so that a client can make and inspect them.
 *
 * Strings are 8-bit texts in the process's multibyte code page (the C library's LC_CTYPE
 * character set). When it is Shift_JIS, GBK, EUC-KR/UHC or Big5, the string helpers follow the
 * lead bytes of code pages 932, 936, 949 or 950; otherwise every byte is a character of its own.
 *
 * Window functions need the thread that runs the Qt application; when the client has none and a
 * display is reachable (or QT_QPA_PLATFORM is set), the library makes one on first use.
 */
#ifndef VEXCORE_H
#define VEXCORE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__i386__)
#define VEXAPI __attribute__((stdcall))
#else
#define VEXAPI
#endif

#if defined(VEXCORE_BUILDING)
#define VEXCORE_EXPORT __attribute__((visibility("default")))
#else
#define VEXCORE_EXPORT
#endif

/* Windows-style types. */
typedef int BOOL;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef unsigned int UINT;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;
typedef intptr_t INT_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef DWORD COLORREF;

typedef void* HANDLE;  /* file handle: a descriptor; INVALID_HANDLE_VALUE on failure */
typedef void* HGLOBAL; /* global memory block */
typedef void* HGDIOBJ; /* palette or bitmap */
typedef struct VexPalette_* HPALETTE;
typedef struct VexBitmap_* HBITMAP;
typedef struct VexDeviceContext_* HDC;
typedef struct VexWindow_* HWND; /* a QWidget */

#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define GMEM_FIXED 0x0000u
#define GMEM_MOVEABLE 0x0002u
#define GMEM_ZEROINIT 0x0040u
#define CLR_INVALID 0xFFFFFFFFu
#define WM_COMMAND 0x0111u
#define WM_USER 0x0400u
#define IDOK 1
#define IDCANCEL 2
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define IDC_ARROW 32512 /* cursor identifiers as VexGetCursor and PercentDlgClose give them */
#define IDC_WAIT 32514

/* The progress dialog: its item identifiers and the messages of its percentage bar. */
#define PERCENT_ID_MESSAGE 100
#define PERCENT_ID_BAR 101
#define PERCENT_SETRANGE (WM_USER + 0) /* wParam: range (16 bits) */
#define PERCENT_GETRANGE (WM_USER + 1)
#define PERCENT_SETPOS (WM_USER + 2) /* wParam: position (16 bits) */
#define PERCENT_GETPOS (WM_USER + 3)
#define PERCENT_CTLCOLOR (WM_USER + 4) /* to the dialog; wParam: HDC; result: the blue brush */

#pragma pack(push, 1)
typedef struct tagBITMAPCOREHEADER {
    DWORD bcSize; /* 12 */
    WORD bcWidth;
    WORD bcHeight;
    WORD bcPlanes;
    WORD bcBitCount;
} BITMAPCOREHEADER;

typedef struct tagBITMAPINFOHEADER {
    DWORD biSize; /* 40 */
    LONG biWidth;
    LONG biHeight; /* positive: rows bottom-up */
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER;

typedef struct tagBITMAPFILEHEADER {
    WORD bfType; /* "BM" */
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
} BITMAPFILEHEADER;
#pragma pack(pop)

typedef struct tagRGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
} RGBQUAD;

typedef struct tagPALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
} PALETTEENTRY;

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT;

#define BI_RGB 0u
#define BI_BITFIELDS 3u

/* ---- File access. Handles are file descriptors; INVALID_HANDLE_VALUE on failure. The library
 * never hands out 0, 1 or 2 (NULL and the standard streams) and refuses them like any handle it did
 * not open. A handle that may write, or that denies sharing, excludes every other handle on the
 * same file (in this or another process); handles that only read share the file with each other. A
 * file without any write permission bit is read-only: it cannot be opened for writing or deleted.
 * ---- */

/* Reading and writing; creates the file when missing. */
VEXCORE_EXPORT HANDLE VEXAPI DataFileOpen(LPCSTR fileName);
/* Reading; the file must exist. */
VEXCORE_EXPORT HANDLE VEXAPI DataFileReadOpen(LPCSTR fileName);
/* Writing, not shared; creates the file when missing; existing contents stay. */
VEXCORE_EXPORT HANDLE VEXAPI DataFileWriteOpen(LPCSTR fileName);
/* Writing, not shared; always a new empty file. */
VEXCORE_EXPORT HANDLE VEXAPI DataFileCreateOpen(LPCSTR fileName);
/* 1 if the file can be opened for reading, else 0. */
VEXCORE_EXPORT BOOL VEXAPI DataFileExist(LPCSTR fileName);
/* 0 for INVALID_HANDLE_VALUE or a handle that is not open; else closes it and gives 1. */
VEXCORE_EXPORT BOOL VEXAPI DataFileClose(HANDLE file);
/* Non-zero on success, 0 on failure (also while the file is open through this library). */
VEXCORE_EXPORT BOOL VEXAPI DataFileDelete(LPCSTR fileName);
/* The file's size in bytes; the position stays; 0 on failure or for 4 GiB - 1 and more. */
VEXCORE_EXPORT DWORD VEXAPI DataFileSize(HANDLE file);
/* The number of bytes written (0 on failure or for a count of 0 or less). */
VEXCORE_EXPORT LONG VEXAPI __hwrite(HANDLE file, const void* buffer, LONG count);
/* The number of bytes read (0 at the end of the file, on failure or for a count of 0 or less). */
VEXCORE_EXPORT LONG VEXAPI __hread(HANDLE file, void* buffer, LONG count);

/* ---- Bitmap and palette helpers. A header is a BITMAPINFOHEADER or BITMAPCOREHEADER followed
 * by its colour table. ---- */

/* The colour-table length: the colours-used field when non-zero (low 16 bits), else 2, 16 or 256
 * for 1, 4 or 8 bits per pixel, else 0. 0 for a null header. */
VEXCORE_EXPORT WORD VEXAPI DibNumColors(const void* header);
/* A palette from the colour table of a 40-byte header, or the 3-3-2 colour cube for 24 bits per
 * pixel; 0 otherwise. Release it with VexDeleteObject. */
VEXCORE_EXPORT HPALETTE VEXAPI CreateBIPalette(const BITMAPINFOHEADER* header);
/* 1 when every entry of the colour table has equal blue, green and red; 0 otherwise, for 24 bits
 * per pixel, and for bit counts other than 1, 4 and 8. Reads no further than the table. */
VEXCORE_EXPORT BOOL VEXAPI IsGrayImage(const BITMAPINFOHEADER* header);
/* Copies the whole bitmap to (x, y) of the device context; x and y count as signed 16-bit. */
VEXCORE_EXPORT void VEXAPI DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y);
/* Mirrors a line of 24, 8, 4 or 1 bits per pixel. For 4 and 1 bits the pixels are ORed into the
 * destination, which must be zero beforehand. Source and destination may overlap. */
VEXCORE_EXPORT void VEXAPI InvertLine0(const BYTE* source, BYTE* destination, int pixelCount);
VEXCORE_EXPORT void VEXAPI InvertLine8(const BYTE* source, BYTE* destination, int pixelCount);
VEXCORE_EXPORT void VEXAPI InvertLine4(const BYTE* source, BYTE* destination, int pixelCount);
VEXCORE_EXPORT void VEXAPI InvertLine1(const BYTE* source, BYTE* destination, int pixelCount);
/* The number of entries of the screen's system palette: 0, no display here has a palette. */
VEXCORE_EXPORT int VEXAPI VexelSystemPalette(void);

/* ---- Global memory. ---- */

/* The block's size in bytes; 0 for an invalid handle. */
VEXCORE_EXPORT DWORD VEXAPI VexelMemSize(HGLOBAL block);
/* Always 1. Unlocks the block as often as it is locked and frees it; an invalid handle is
 * ignored. */
VEXCORE_EXPORT BOOL VEXAPI VexelMemFree(HGLOBAL block);

/* ---- Dialog helpers. ---- */

/* Moves the window to the horizontal centre and the upper third of the screen and sets its
 * title; the result of setting the title (0 for a null or unknown window). */
VEXCORE_EXPORT BOOL VEXAPI PrepareDialogBox(HWND window, LPCSTR title);
/* Opens the progress dialog; with both texts empty only the hourglass cursor is shown. 1 on
 * success, 0 when the dialog cannot be created. */
VEXCORE_EXPORT BOOL VEXAPI PercentDlgOpen(LPCSTR title, LPCSTR message);
/* Dispatches the waiting events and shows the percentage (0 to 100); 1 to go on, 0 when the user
 * has cancelled. */
VEXCORE_EXPORT BOOL VEXAPI PercentDlgProcess(int percent);
/* Closes the progress dialog; without one, restores the arrow cursor and gives the previous
 * cursor (IDC_ARROW or IDC_WAIT). */
VEXCORE_EXPORT INT_PTR VEXAPI PercentDlgClose(void);

/* ---- String helpers. Strings are zero-terminated; lengths and positions count bytes. ---- */

/* Removes leading blanks; the length when there were none (0 for an empty string), -1 when
 * blanks were removed. */
VEXCORE_EXPORT int VEXAPI CutFrontSpace(LPSTR text);
/* Removes trailing blanks; the index of the last remaining byte, -1 when nothing remains. */
VEXCORE_EXPORT int VEXAPI CutBackSpace(LPSTR text);
/* Trims both ends and appends a backslash unless the text is empty or already ends with one.
 * The text needs room for one more byte. */
VEXCORE_EXPORT void VEXAPI SetTermYEN(LPSTR text);
/* Trims both ends and removes one final backslash. */
VEXCORE_EXPORT void VEXAPI CutTermYEN(LPSTR text);
/* The first character whose first byte is the given byte; 0 if none. */
VEXCORE_EXPORT LPSTR VEXAPI lstrchr(LPCSTR text, int character);
/* The first character position where the pattern follows; 0 if none or the text is empty. */
VEXCORE_EXPORT LPSTR VEXAPI lstrstr(LPCSTR text, LPCSTR pattern);
/* The first, middle (start counted from 1) or last count bytes of the source, terminated; the
 * number of bytes copied. A character cut in two leaves a blank. The destination needs room for
 * count + 1 bytes. */
VEXCORE_EXPORT int VEXAPI StrLeftCopy(LPSTR destination, LPCSTR source, int count);
VEXCORE_EXPORT int VEXAPI StrMidCopy(LPSTR destination, LPCSTR source, int start, int count);
VEXCORE_EXPORT int VEXAPI StrRightCopy(LPSTR destination, LPCSTR source, int count);

/* ==== Stand-ins for the Windows objects that the functions above take and give. ==== */

/* Memory blocks: contents start zeroed; a block of 0 bytes cannot be locked. */
VEXCORE_EXPORT HGLOBAL VexGlobalAlloc(UINT flags, size_t bytes);
/* The block's memory, counting one more lock; 0 for an invalid or empty block. */
VEXCORE_EXPORT LPVOID VexGlobalLock(HGLOBAL block);
/* Counts one lock less; non-zero while the block stays locked. */
VEXCORE_EXPORT BOOL VexGlobalUnlock(HGLOBAL block);
/* Frees the block, locked or not; 0 on success, the handle itself on failure. */
VEXCORE_EXPORT HGLOBAL VexGlobalFree(HGLOBAL block);
/* The block's lock count; 0 for an invalid handle. */
VEXCORE_EXPORT UINT VexGlobalLockCount(HGLOBAL block);

/* Palettes and bitmaps. */
/* Copies up to count entries from start; with entries 0, gives the palette's size. */
VEXCORE_EXPORT UINT VexGetPaletteEntries(HPALETTE palette, UINT start, UINT count,
                                         PALETTEENTRY* entries);
/* A bitmap of width x height pixels from top-down rows of RGB values (0x00BBGGRR); pixels may be
 * 0 for a black bitmap. */
VEXCORE_EXPORT HBITMAP VexCreateBitmap(int width, int height, const COLORREF* pixels);
/* A bitmap holding a copy of a QImage (C++ clients). */
VEXCORE_EXPORT HBITMAP VexBitmapFromQImage(const void* qimage);
/* Deletes a palette or a bitmap; 0 for an unknown object. */
VEXCORE_EXPORT BOOL VexDeleteObject(HGDIOBJ object);

/* Device contexts. */
/* A device context over a white image of width x height pixels. */
VEXCORE_EXPORT HDC VexCreateImageDC(int width, int height);
/* A device context that draws through an active QPainter (C++ clients); its transform is the
 * mapping mode. The painter stays the caller's. */
VEXCORE_EXPORT HDC VexCreatePainterDC(void* qpainter);
/* The colour at (x, y) of an image device context; CLR_INVALID outside it or for other ones. */
VEXCORE_EXPORT COLORREF VexGetPixel(HDC dc, int x, int y);
VEXCORE_EXPORT COLORREF VexGetTextColor(HDC dc);
VEXCORE_EXPORT COLORREF VexGetBkColor(HDC dc);
VEXCORE_EXPORT BOOL VexDeleteDC(HDC dc);

/* Windows (only on the thread that runs the Qt application). */
/* A top-level window of width x height pixels, not shown. */
VEXCORE_EXPORT HWND VexCreateWindow(LPCSTR title, int width, int height);
VEXCORE_EXPORT BOOL VexDestroyWindow(HWND window);
/* The first top-level window with this title. */
VEXCORE_EXPORT HWND VexFindWindow(LPCSTR title);
/* The item of a dialog with the given identifier. */
VEXCORE_EXPORT HWND VexGetDlgItem(HWND dialog, int id);
/* Screen rectangle of a window (frame included). */
VEXCORE_EXPORT BOOL VexGetWindowRect(HWND window, RECT* rect);
/* The window's title or an item's text, cut to size - 1 bytes; its length. */
VEXCORE_EXPORT int VexGetWindowText(HWND window, LPSTR buffer, int size);
VEXCORE_EXPORT BOOL VexIsWindowEnabled(HWND window);
VEXCORE_EXPORT BOOL VexIsWindowVisible(HWND window);
/* Sends a message to the progress dialog (WM_COMMAND, PERCENT_CTLCOLOR) or its bar
 * (PERCENT_SETRANGE .. PERCENT_GETPOS); 0 for other windows and messages. */
VEXCORE_EXPORT LRESULT VexSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
/* SM_CXSCREEN or SM_CYSCREEN; 0 without a display. */
VEXCORE_EXPORT int VexGetSystemMetrics(int index);
/* The cursor the library has set: IDC_ARROW or IDC_WAIT. */
VEXCORE_EXPORT int VexGetCursor(void);

#ifdef __cplusplus
}
#endif

#endif /* VEXCORE_H */
