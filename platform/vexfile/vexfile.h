/* SPDX-License-Identifier: GPL-3.0-or-later */
/*
 * vexfile: loading and saving BMP and JPEG picture files. Images travel as global memory blocks
 * of vexcore holding a packed DIB (BITMAPINFOHEADER, colour table, bottom-up rows padded to four
 * bytes): 8 bits per pixel with a palette for paletted and grey pictures, 24 bits otherwise.
 * The caller releases each image with VexelMemFree. Paths are 8-bit texts in the file system's
 * encoding. The option texts and the trailing reserved arguments are accepted and not used.
 */
#ifndef VEXFILE_H
#define VEXFILE_H

#include "vexcore/vexcore.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The image of a JPEG file; 0 on failure. */
HGLOBAL VexelJpegFileLoad(LPCSTR path, LPCSTR option1, LPCSTR option2, int reserved);
/* The image of a picture file of any format that can be read (BMP first of all); 0 on failure. */
HGLOBAL VexelFileLoad(LPCSTR path, LPCSTR option1, LPCSTR option2);
/* Writes the image as a BMP file; 1 on success, 0 on failure (an existing file then stays). */
int VexelBmpFileSave(LPCSTR path, HGLOBAL image, LPCSTR option1, LPCSTR option2, int reserved);
/* Writes the image as a JPEG file of the given quality (0 to 100); 1 on success, 0 on failure
 * (an existing file then stays). */
int VexelJpegFileSave(LPCSTR path, HGLOBAL image, LPCSTR option1, LPCSTR option2, int quality,
                      int reserved);
/* The text of this thread's last failure of the four functions above; empty after a success. */
LPCSTR VexelFileLastError(void);

#ifdef __cplusplus
}
#endif

#endif /* VEXFILE_H */
