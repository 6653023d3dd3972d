// The C interface of resources.dll: texts, HTML pages and bitmaps of the program by id.
#pragma once

#define VX_RESOURCE_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

// Copies the text with the id into buffer, cut to size - 1 bytes and ended by a zero; its
// length, or 0 when the library has no such text (the buffer then holds an empty text).
VX_RESOURCE_EXPORT int VxLoadString(unsigned id, char* buffer, int size);
// The bytes of the page or bitmap with the id and their count; null when there is none.
VX_RESOURCE_EXPORT const unsigned char* VxFindPage(unsigned id, unsigned* size);
VX_RESOURCE_EXPORT const unsigned char* VxFindBitmap(unsigned id, unsigned* size);

#ifdef __cplusplus
}
#endif
