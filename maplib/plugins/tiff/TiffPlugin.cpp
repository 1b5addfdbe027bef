// The TIFF reader plug-in of the map library: six entry points that follow the
// libtiff calls of the same suffix. Only these six are exported.
#include <tiffio.h>

#include <cstdarg>

#define TLM_TIFF_EXPORT extern "C" __attribute__((visibility("default")))

TLM_TIFF_EXPORT void* TLM_TIFF_Open(const char* name, const char* mode) {
    // Readers report by results; libtiff's messages would go to stderr.
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    return TIFFOpen(name, mode);
}

TLM_TIFF_EXPORT void TLM_TIFF_Close(void* tiff) {
    TIFFClose(static_cast<TIFF*>(tiff));
}

TLM_TIFF_EXPORT int TLM_TIFF_IsTiled(void* tiff) {
    return TIFFIsTiled(static_cast<TIFF*>(tiff));
}

TLM_TIFF_EXPORT tmsize_t TLM_TIFF_ReadTile(void* tiff, void* buffer, uint32_t x, uint32_t y, uint32_t z,
                                           uint16_t sample) {
    return TIFFReadTile(static_cast<TIFF*>(tiff), buffer, x, y, z, sample);
}

TLM_TIFF_EXPORT tmsize_t TLM_TIFF_ReadEncodedStrip(void* tiff, uint32_t strip, void* buffer, tmsize_t size) {
    return TIFFReadEncodedStrip(static_cast<TIFF*>(tiff), strip, buffer, size);
}

TLM_TIFF_EXPORT int TLM_TIFF_GetFieldDefaulted(void* tiff, uint32_t tag, ...) {
    va_list ap;
    va_start(ap, tag);
    const int result = TIFFVGetFieldDefaulted(static_cast<TIFF*>(tiff), tag, ap);
    va_end(ap);
    return result;
}
