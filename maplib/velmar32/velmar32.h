#ifndef VELMAR32_H
#define VELMAR32_H

/*
 * libvelmar32: reads and draws raster map files, offers a ready-made map
 * window class and prints the map of such a window.
 *
 * Map handles, library map windows and drawing surfaces are 32-bit ids handed
 * out by the library (0 is the null handle), so that they fit the parameter
 * field of a Coord. Every operation given a null or unknown id does nothing and
 * returns 0. Results are 1 for success or a change and 0 for failure or no
 * change unless noted. Texts are Windows-1252 byte strings.
 *
 * Owner windows of dialogs and message boxes are host widgets (QWidget*, may
 * be null); a drawing surface is a QPainter registered with TLM_AttachPainter.
 * All functions are called from the thread that owns the widgets, after the
 * host has created its QApplication.
 */

#include "Coord.h"

#include <stdint.h>

#if defined(VELMAR32_BUILDING)
#define VELMAR32_API __attribute__((visibility("default")))
#else
#define VELMAR32_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t TLM_HANDLE; /* map handle */
typedef uint32_t TLM_HWND;   /* map window of the library's window class */
typedef uint32_t TLM_HDC;    /* registered drawing surface */

typedef struct TLM_RECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
} TLM_RECT;

typedef struct TLM_PAINTSTRUCT {
    TLM_HDC hdc;
    int32_t fErase;
    TLM_RECT rcPaint;
} TLM_PAINTSTRUCT;

/* Degrees, minutes and seconds of both values of a Coord (TLM_CoordToGradMinSec). */
typedef struct TLM_GRADMINSEC {
    int32_t type;
    int32_t unused; /* never written */
    double degreesA, minutesA, secondsA;
    double degreesB, minutesB, secondsB;
} TLM_GRADMINSEC;

/* A host's own pixel <-> native conversion of one map handle: flag 0 converts
 * (the result is the status), flag 1 says goodbye (both pointers then point to
 * one record whose zone is the handle). */
typedef int32_t (*TLM_ExternalCoordFn)(Coord* source, Coord* target, int32_t flag);

/* ---- coordinate type codes and status codes ---- */
enum {
    TLM_COORD_GAUSS_KRUEGER = 1,
    TLM_COORD_GEO_DHDN = 2,
    TLM_COORD_GEO_WGS84 = 3,
    TLM_COORD_UTM = 4,
    TLM_COORD_MAP_PIXEL = 0x8000,
    TLM_COORD_WINDOW_DRAWN = 0xC000,
    TLM_COORD_WINDOW_CLIENT = 0xC001,
    TLM_COORD_SURFACE = 0xDFF6
};
#define TLM_STATUS_OUTSIDE_MAP ((int32_t)0x40001)
#define TLM_STATUS_WINDOW_WITHOUT_MAP ((int32_t)0x80040000u)
#define TLM_STATUS_NO_GEOREFERENCE ((int32_t)0x80040001u)
#define TLM_STATUS_NOT_MAP_WINDOW ((int32_t)0x80040002u)
#define TLM_STATUS_UNKNOWN_SURFACE ((int32_t)0x80040003u)
#define TLM_STATUS_NOT_PROVIDED ((int32_t)0x80070057u)

/* ---- handle lifetime ---- */
VELMAR32_API TLM_HANDLE TLM_Open(const char* path);
VELMAR32_API TLM_HANDLE TLM_Duplicate(TLM_HANDLE handle);
VELMAR32_API void TLM_Close(TLM_HANDLE handle);

/* ---- size, pixels, colours ---- */
VELMAR32_API int32_t TLM_GetSize(TLM_HANDLE handle, int32_t size[2]);
VELMAR32_API int32_t TLM_GetDataByteCount(TLM_HANDLE handle, int32_t flag);
VELMAR32_API int32_t TLM_GetDataBytes(TLM_HANDLE handle, const Coord* position, uint8_t* bytes, int32_t flag);
VELMAR32_API int32_t TLM_GetColorCount(TLM_HANDLE handle);
VELMAR32_API int32_t TLM_GetColor(TLM_HANDLE handle, int32_t index, uint32_t* color);
VELMAR32_API int32_t TLM_GetBitsPerPixel(TLM_HANDLE handle);

/* ---- drawing, zoom, palette ---- */
VELMAR32_API int32_t TLM_Draw(TLM_HANDLE handle, TLM_HDC dc, const TLM_RECT* target, const TLM_RECT* clip, int32_t mapX,
                              int32_t mapY);
VELMAR32_API int32_t TLM_SetZoomFactor(TLM_HANDLE handle, double* zoom);
VELMAR32_API int32_t TLM_GetZoomFactor(TLM_HANDLE handle, double* zoom);
VELMAR32_API int32_t TLM_GetZoomInfo(TLM_HANDLE handle, double info[2]);
VELMAR32_API int32_t TLM_SetHighQuality(TLM_HANDLE handle, int32_t flag);
VELMAR32_API int32_t TLM_GetHighQuality(TLM_HANDLE handle);
/* window: host widget repainted when entries changed (may be null) */
VELMAR32_API int32_t TLM_NewPalette(TLM_HANDLE handle, void* window, int32_t background);

/* ---- dimmer and layers ---- */
VELMAR32_API int32_t TLM_SetDimmer(TLM_HANDLE handle, int32_t value);
VELMAR32_API int32_t TLM_GetDimmer(TLM_HANDLE handle);
VELMAR32_API int32_t TLM_AskDimmer(TLM_HANDLE handle, void* owner);
VELMAR32_API int32_t TLM_GetNumLayers(TLM_HANDLE handle);
VELMAR32_API const char* TLM_GetLayerName(TLM_HANDLE handle, int32_t index);
VELMAR32_API uint32_t TLM_GetLayerActivation(TLM_HANDLE handle);
VELMAR32_API int32_t TLM_SetLayerActivation(TLM_HANDLE handle, uint32_t mask);
VELMAR32_API int32_t TLM_AskLayerActivation(TLM_HANDLE handle, void* owner);
VELMAR32_API int32_t TLM_GetManyLayersCount(TLM_HANDLE handle);
VELMAR32_API int32_t TLM_GetManyLayerInfo(TLM_HANDLE handle, intptr_t a, intptr_t b);
VELMAR32_API int32_t TLM_SetManyLayerActivation(TLM_HANDLE handle, intptr_t a, intptr_t b);

/* ---- coordinates ---- */
VELMAR32_API int32_t TLM_TransformCoords(const Coord* source, Coord* target);
VELMAR32_API int32_t TLM_TransformCoordsEx(const Coord* source, Coord* target);
VELMAR32_API void TLM_CoordToGradMinSec(const Coord* source, TLM_GRADMINSEC* out);
VELMAR32_API int32_t TLM_AttachExternalCoords(TLM_HANDLE handle, TLM_ExternalCoordFn hook);
VELMAR32_API TLM_ExternalCoordFn TLM_GetExternalCoordFunction(TLM_HANDLE handle);

/* ---- drawing surfaces ---- */
/* Registers a host's active QPainter as a drawing surface for TLM_Draw and the
 * surface coordinate type; detach before the painter ends. */
VELMAR32_API TLM_HDC TLM_AttachPainter(void* qpainter);
VELMAR32_API int32_t TLM_DetachPainter(TLM_HDC dc);

/* ---- printing ---- */
typedef struct TLM_PRINTPARAMS {
    void* owner;         /* owner widget of the print dialog and of error boxes */
    TLM_HWND window;     /* the map window whose map is printed */
    uint32_t flags;      /* TLM_PRINT_SCALEBAR */
    const char* text;    /* margin text or null, lines separated by CR or LF */
    double scale;        /* scale denominator; 0 = fit the visible window area to the page */
    uint16_t paperWidth; /* largest paper size in millimetres */
    uint16_t paperHeight;
} TLM_PRINTPARAMS;
#define TLM_PRINT_SCALEBAR 1u

VELMAR32_API int32_t TLM_Print(const TLM_PRINTPARAMS* params);
VELMAR32_API int32_t TLM_IsPrintDC(TLM_HDC dc);
VELMAR32_API int32_t TLM_DC_GetClientRect(TLM_HDC dc, TLM_RECT* rect);
VELMAR32_API TLM_HDC TLM_Wnd_GetDC(TLM_HWND window);
VELMAR32_API int32_t TLM_Wnd_ReleaseDC(TLM_HWND window, TLM_HDC dc);

/* ---- dialogs and message boxes, replaceable by the host (tests, batch use) ---- */
/* Message box: returns the pressed button (TLM_IDOK). */
typedef int32_t (*TLM_MessageBoxFn)(void* owner, const char* text, const char* caption, uint32_t type);
/* Open-file dialog: writes the chosen path (at most size bytes with the 0) and returns 1, 0 when cancelled. */
typedef int32_t (*TLM_OpenFileDialogFn)(void* owner, char* path, int32_t size);
/* Print dialog: sets up the QPrinter it is given; 1 = print, 0 = cancelled, -1 = dialog error. */
typedef int32_t (*TLM_PrintDialogFn)(void* owner, void* qprinter);
/* Null restores the library's own dialog. */
VELMAR32_API void TLM_SetMessageBoxFunction(TLM_MessageBoxFn fn);
VELMAR32_API void TLM_SetOpenFileDialogFunction(TLM_OpenFileDialogFn fn);
VELMAR32_API void TLM_SetPrintDialogFunction(TLM_PrintDialogFn fn);
#define TLM_MB_ICONERROR 0x10u
#define TLM_IDOK 1

/* ---- map window class ---- */
/* Window procedure: handles one message with its Windows number. */
typedef intptr_t (*TLM_WndProc)(TLM_HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam);
/* Host callback: non-zero when it handled the message; the result is then the
 * one set with TLM_Wnd_SetMessageResult (cleared to 0 before each call). */
typedef int32_t (*TLM_HostCallback)(TLM_HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam);

typedef struct TLM_CREATESTRUCT {
    const void* createParams;
    void* parent; /* QWidget* */
    const char* className;
    uint32_t style;
    int32_t x, y, cx, cy;
} TLM_CREATESTRUCT;

/* Creation parameter of "TolmHelpWindow". */
typedef struct TLM_HELPCREATE {
    uint16_t zero[2];
    const char* basePath;
    const char* spec; /* "name#x#y#w#h" */
} TLM_HELPCREATE;

/* Window style bits the window class reads. */
#define TLM_WS_HSCROLL 0x100000u
#define TLM_WS_VSCROLL 0x200000u

/* Messages (Windows numbers) and commands. */
enum {
    TLM_WM_CREATE = 1,
    TLM_WM_DESTROY = 2,
    TLM_WM_SIZE = 5,
    TLM_WM_PAINT = 15,
    TLM_WM_CLOSE = 16,
    TLM_WM_ERASEBKGND = 20,
    TLM_WM_QUERYDRAGICON = 55,
    TLM_WM_NCCREATE = 129,
    TLM_WM_KEYDOWN = 256,
    TLM_WM_KEYUP = 257,
    TLM_WM_CHAR = 258,
    TLM_WM_COMMAND = 273,
    TLM_WM_HSCROLL = 276,
    TLM_WM_VSCROLL = 277,
    TLM_WM_MOUSEMOVE = 512,
    TLM_WM_LBUTTONDOWN = 513,
    TLM_WM_LBUTTONUP = 514,
    TLM_WM_LBUTTONDBLCLK = 515,
    TLM_WM_RBUTTONDOWN = 516,
    TLM_WM_RBUTTONUP = 517,
    TLM_WM_RBUTTONDBLCLK = 518,
    TLM_WM_MBUTTONDOWN = 519,
    TLM_WM_MBUTTONUP = 520,
    TLM_WM_MBUTTONDBLCLK = 521,
    TLM_WM_QUERYNEWPALETTE = 783,
    TLM_WM_PALETTECHANGED = 785,
    TLM_WM_USER = 1024,
    TLM_WM_HELP_0x706A = 0x706A,
    TLM_WM_HELP_CLIENTSIZE = 0x706B,
    TLM_WM_HELP_PALETTE = 0x706C
};
enum {
    TLM_CMD_OPEN = 0xFF00,
    TLM_CMD_CLOSE = 0xFF01,
    TLM_CMD_CLOSEWINDOW = 0xFF02,
    TLM_CMD_LAYERS = 0xFF10,
    TLM_CMD_DIMMER = 0xFF11,
    TLM_CMD_PAINT_ABORT = 0xFFF0
};
/* notifications in WM_COMMAND */
#define TLM_NOTIFY_OPENED TLM_CMD_OPEN
#define TLM_NOTIFY_CLOSING TLM_CMD_CLOSE
#define TLM_NOTIFY_CLOSED TLM_CMD_CLOSEWINDOW
/* scroll codes (low word of wParam of WM_HSCROLL / WM_VSCROLL; high word = position) */
enum {
    TLM_SB_LINEUP = 0,
    TLM_SB_LINEDOWN = 1,
    TLM_SB_PAGEUP = 2,
    TLM_SB_PAGEDOWN = 3,
    TLM_SB_THUMBPOSITION = 4,
    TLM_SB_THUMBTRACK = 5,
    TLM_SB_TOP = 6,
    TLM_SB_BOTTOM = 7,
    TLM_SB_ENDSCROLL = 8
};

VELMAR32_API int32_t TLM_Wnd_Init(void);
VELMAR32_API TLM_WndProc TLM_Wnd_GetWndProc(void);
/* Creates a window of one of the three classes as a child of parent (a
 * QWidget*, or null for a top-level window); 0 for an unknown class. The
 * window is shown by the host (TLM_Wnd_GetWidget). */
VELMAR32_API TLM_HWND TLM_Wnd_Create(const char* className, void* parent, uint32_t style, const void* createParams);
VELMAR32_API void* TLM_Wnd_GetWidget(TLM_HWND window);
/* Window data offset 4 and offset 0 of the Windows class. */
VELMAR32_API int32_t TLM_Wnd_SetCallback(TLM_HWND window, TLM_HostCallback callback);
VELMAR32_API int32_t TLM_Wnd_SetMessageResult(TLM_HWND window, intptr_t result);

VELMAR32_API int32_t TLM_Wnd_OpenFile(TLM_HWND window, const char* path);
VELMAR32_API int32_t TLM_Wnd_CloseFile(TLM_HWND window);
VELMAR32_API int32_t TLM_Wnd_SetPos(TLM_HWND window, const Coord* position, int32_t alignment);
VELMAR32_API int32_t TLM_Wnd_GetPos(TLM_HWND window, Coord* position, int32_t alignment);
VELMAR32_API int32_t TLM_Wnd_SetMaxSize(TLM_HWND window, const int32_t* size);
VELMAR32_API int32_t TLM_Wnd_DoPaint(TLM_HWND window, const TLM_PAINTSTRUCT* paint);
VELMAR32_API int32_t TLM_Wnd_AfterPaint(TLM_HWND window, TLM_HDC dc);
VELMAR32_API int32_t TLM_Wnd_EnableFlags(TLM_HWND window, uint32_t flags);
VELMAR32_API int32_t TLM_Wnd_DisableFlags(TLM_HWND window, uint32_t flags);
VELMAR32_API int32_t TLM_Wnd_SetZoomFactor(TLM_HWND window, double* zoom);
VELMAR32_API int32_t TLM_Wnd_GetZoomFactor(TLM_HWND window, double* zoom);
VELMAR32_API int32_t TLM_Wnd_SetDimmer(TLM_HWND window, int32_t value);
VELMAR32_API int32_t TLM_Wnd_GetDimmer(TLM_HWND window);
VELMAR32_API int32_t TLM_Wnd_AskDimmer(TLM_HWND window, void* owner);
VELMAR32_API int32_t TLM_Wnd_GetNumLayers(TLM_HWND window);
VELMAR32_API const char* TLM_Wnd_GetLayerName(TLM_HWND window, int32_t index);
VELMAR32_API uint32_t TLM_Wnd_GetLayerActivation(TLM_HWND window);
VELMAR32_API int32_t TLM_Wnd_SetLayerActivation(TLM_HWND window, uint32_t mask);
VELMAR32_API int32_t TLM_Wnd_AskLayerActivation(TLM_HWND window, void* owner);
VELMAR32_API int32_t TLM_Wnd_GetHighQuality(TLM_HWND window);
VELMAR32_API int32_t TLM_Wnd_SetHighQuality(TLM_HWND window, int32_t flag);
VELMAR32_API int32_t TLM_Wnd_CommonizePalette(TLM_HWND window, TLM_HWND other);
/* The current map of a window (0 when none); the window keeps owning it. */
VELMAR32_API TLM_HANDLE TLM_Wnd_GetHandle(TLM_HWND window);

#ifdef __cplusplus
}
#endif

#endif
