/* SPDX-License-Identifier: GPL-3.0-or-later */
/* A client in plain C that knows nothing but vexcore.h and libvexcore.so: it calls every one of
 * the library's functions and checks the results. */
#include "vexcore.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int failures = 0;

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);          \
            ++failures;                                                                            \
        }                                                                                          \
    } while (0)

static void files(void) {
    char name[] = "/tmp/vexcore-c-XXXXXX";
    int fd = mkstemp(name);
    CHECK(fd >= 0);
    close(fd);
    CHECK(DataFileDelete(name));
    CHECK(!DataFileExist(name));
    CHECK(DataFileReadOpen(name) == INVALID_HANDLE_VALUE);

    HANDLE file = DataFileCreateOpen(name);
    CHECK(file != INVALID_HANDLE_VALUE);
    CHECK(__hwrite(file, "abcdef", 6) == 6);
    CHECK(DataFileClose(file) == 1);
    CHECK(DataFileClose(INVALID_HANDLE_VALUE) == 0);

    file = DataFileWriteOpen(name);
    CHECK(__hwrite(file, "X", 1) == 1);
    DataFileClose(file);

    file = DataFileOpen(name);
    char buffer[8] = {0};
    CHECK(DataFileSize(file) == 6);
    CHECK(__hread(file, buffer, 7) == 6);
    CHECK(strcmp(buffer, "Xbcdef") == 0);
    CHECK(__hread(file, buffer, 7) == 0);
    DataFileClose(file);

    file = DataFileReadOpen(name);
    CHECK(file != INVALID_HANDLE_VALUE);
    DataFileClose(file);
    CHECK(DataFileExist(name) == 1);
    CHECK(DataFileDelete(name) != 0);
    CHECK(DataFileDelete(name) == 0);
}

/* The client's standard streams are never library handles: NULL, 1 and 2 are refused, and the
 * streams stay open and untouched. */
static void standardStreams(void) {
    char byte = 0;
    CHECK(DataFileClose(NULL) == 0);
    CHECK(DataFileClose((HANDLE)2) == 0);
    CHECK(__hwrite((HANDLE)1, "leak", 4) == 0);
    CHECK(__hwrite((HANDLE)2, "leak", 4) == 0);
    CHECK(__hread(NULL, &byte, 1) == 0);
    CHECK(DataFileSize((HANDLE)1) == 0);
    CHECK(fcntl(0, F_GETFD) != -1); /* standard input is still open */
    CHECK(fcntl(2, F_GETFD) != -1);
}

static void bitmaps(void) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD table[2];
    } mono;
    memset(&mono, 0, sizeof mono);
    mono.header.biSize = 40;
    mono.header.biWidth = 8;
    mono.header.biHeight = 1;
    mono.header.biPlanes = 1;
    mono.header.biBitCount = 1;
    mono.table[1].rgbRed = mono.table[1].rgbGreen = mono.table[1].rgbBlue = 255;
    CHECK(DibNumColors(&mono.header) == 2);
    CHECK(IsGrayImage(&mono.header) == 1);
    mono.table[1].rgbBlue = 0;
    CHECK(IsGrayImage(&mono.header) == 0);

    BITMAPINFOHEADER rgb;
    memset(&rgb, 0, sizeof rgb);
    rgb.biSize = 40;
    rgb.biBitCount = 24;
    CHECK(DibNumColors(&rgb) == 0);
    CHECK(IsGrayImage(&rgb) == 0);
    HPALETTE palette = CreateBIPalette(&rgb);
    PALETTEENTRY entry[1];
    CHECK(VexGetPaletteEntries(palette, 0, 0, NULL) == 256);
    CHECK(VexGetPaletteEntries(palette, 255, 1, entry) == 1);
    CHECK(entry[0].peRed == 224 && entry[0].peGreen == 224 && entry[0].peBlue == 192);
    CHECK(VexDeleteObject(palette));

    const BYTE line[] = {1, 2, 3, 4, 5, 6};
    BYTE out[6] = {0};
    InvertLine0(line, out, 2);
    CHECK(out[0] == 4 && out[3] == 1 && out[5] == 3);
    memset(out, 0, sizeof out);
    InvertLine8(line, out, 3);
    CHECK(out[0] == 3 && out[2] == 1);
    memset(out, 0, sizeof out);
    InvertLine4(line, out, 3); /* 0, 1, 0 -> 0, 1, 0 */
    CHECK(out[0] == 0x01 && out[1] == 0x00);
    memset(out, 0, sizeof out);
    const BYTE bits[] = {0x80};
    InvertLine1(bits, out, 3);
    CHECK(out[0] == 0x20);
    CHECK(VexelSystemPalette() == 0);

    const COLORREF red = 0x0000FF;
    HBITMAP bitmap = VexCreateBitmap(1, 1, &red);
    HDC dc = VexCreateImageDC(4, 4);
    DrawBitmap(dc, bitmap, 2, 1);
    CHECK(VexGetPixel(dc, 2, 1) == 0x0000FF);
    CHECK(VexGetPixel(dc, 1, 1) == 0xFFFFFF);
    VexDeleteDC(dc);
    VexDeleteObject(bitmap);
}

static void memory(void) {
    HGLOBAL block = VexGlobalAlloc(GMEM_MOVEABLE, 32);
    CHECK(VexelMemSize(block) == 32);
    CHECK(VexGlobalLock(block) != NULL);
    CHECK(VexGlobalLock(block) != NULL);
    CHECK(VexelMemFree(block) == 1);
    CHECK(VexelMemSize(block) == 0);
    CHECK(VexelMemFree(block) == 1);
}

static void strings(void) {
    char text[32];
    strcpy(text, "ab  ");
    CHECK(CutBackSpace(text) == 1 && strcmp(text, "ab") == 0);
    strcpy(text, "  ab");
    CHECK(CutFrontSpace(text) == -1 && strcmp(text, "ab") == 0);
    strcpy(text, " C:\\DATA ");
    SetTermYEN(text);
    CHECK(strcmp(text, "C:\\DATA\\") == 0);
    CutTermYEN(text);
    CHECK(strcmp(text, "C:\\DATA") == 0);
    CHECK(lstrchr(text, 'D') == text + 3);
    CHECK(lstrstr(text, "TA") == text + 5);
    char part[8];
    CHECK(StrLeftCopy(part, "abcdef", 2) == 2 && strcmp(part, "ab") == 0);
    CHECK(StrMidCopy(part, "abcdef", 3, 2) == 2 && strcmp(part, "cd") == 0);
    CHECK(StrRightCopy(part, "abc", 5) == 3 && strcmp(part, "abc") == 0);
}

static void dialogs(void) {
    /* The hourglass needs no window. */
    CHECK(PercentDlgOpen("", "") == 1);
    CHECK(VexGetCursor() == IDC_WAIT);
    CHECK(PercentDlgClose() == IDC_WAIT);
    CHECK(VexGetCursor() == IDC_ARROW);

    /* The library makes the application a C client lacks. */
    CHECK(PercentDlgOpen("C client", "Working") == 1);
    HWND dialog = VexFindWindow("C client");
    CHECK(dialog != NULL);
    HWND bar = VexGetDlgItem(dialog, PERCENT_ID_BAR);
    char message[32];
    CHECK(VexGetWindowText(VexGetDlgItem(dialog, PERCENT_ID_MESSAGE), message, 32) == 7);
    CHECK(strcmp(message, "Working") == 0);
    CHECK(PercentDlgProcess(150) == 1);
    CHECK(VexSendMessage(bar, PERCENT_GETPOS, 0, 0) == 100);
    CHECK(PercentDlgProcess(-5) == 1);
    CHECK(VexSendMessage(bar, PERCENT_GETPOS, 0, 0) == 0);
    VexSendMessage(dialog, WM_COMMAND, IDCANCEL, 0);
    CHECK(PercentDlgProcess(10) == 0);
    CHECK(PercentDlgClose() == 1);
    CHECK(VexFindWindow("C client") == NULL);

    HWND window = VexCreateWindow("plain", 100, 60);
    CHECK(PrepareDialogBox(window, "Titled") == 1);
    RECT rect;
    CHECK(VexGetWindowRect(window, &rect));
    CHECK(rect.left == (VexGetSystemMetrics(SM_CXSCREEN) - (rect.right - rect.left)) / 2);
    CHECK(rect.top == (VexGetSystemMetrics(SM_CYSCREEN) - (rect.bottom - rect.top)) / 3);
    CHECK(VexGetWindowText(window, message, 32) == 6);
    CHECK(VexDestroyWindow(window));
}

int main(void) {
    files();
    standardStreams();
    bitmaps();
    memory();
    strings();
    dialogs();
    if (failures != 0) {
        fprintf(stderr, "%d checks failed\n", failures);
        return 1;
    }
    puts("all checks passed");
    return 0;
}
