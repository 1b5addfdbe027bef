#ifndef ZOZI32_H
#define ZOZI32_H

/* The GPS client library: finds (or starts) the GPS link program, registers
 * for new positions and reads them from the shared position block. C linkage,
 * plain names. All functions may be called from any thread. */

#include <stdint.h>

#if defined(ZOZI32_BUILD)
#define ZOZI32_API __attribute__((visibility("default")))
#else
#define ZOZI32_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Port configuration, 16 bytes. */
typedef struct NmeaPortConfig {
    int32_t flags; /* 1 GGA only, 2 RMC only, 3 both */
    int32_t port;  /* COM port number, 0 = none */
    uint32_t baudRate;
    uint8_t dataBits; /* 5 to 8 */
    uint8_t parity;   /* 0 none, 1 odd, 2 even, 3 mark, 4 space */
    uint8_t stopBits; /* 0 one, 1 one and a half, 2 two */
    uint8_t unused;
} NmeaPortConfig;

/* Recording and playback state, 12 bytes. */
typedef struct NmeaState {
    int32_t recording;     /* non-zero while recording */
    int32_t playing;       /* non-zero while playing back */
    int32_t speedExponent; /* 0..3 for 1x, 2x, 4x, 8x */
} NmeaState;

/* What to post for every new position, 16 bytes: the window to notify and
 * the message number; the last two words are not read. */
typedef struct NmeaHookRequest {
    uint32_t window;
    uint32_t message;
    uint32_t reserved[2];
} NmeaHookRequest;

/* Delivers a notification: "post `message` with wParam and lParam to
 * `window`". Called on the library's own receiving thread, so it must hand
 * the message on in a thread-safe way (for example by posting an event). */
typedef void (*ZoziPostFunction)(uint32_t window, uint32_t message, uint32_t wParam, uint32_t lParam, void* context);

/* Non-zero when the GPS service is available. Attaches this process as a
 * client (counted in the shared block until wglUnInstall or process end). */
ZOZI32_API int wglInstall(void);
/* Registration handle for position notifications, 0 = none. Every
 * notification is delivered through the post function as (window, message,
 * 0, 0); the message carries no position, read it with wglGetPosData. */
ZOZI32_API uint32_t wglHookPosition(const NmeaHookRequest* request);
/* Fills the 128-byte buffer with the latest position:
 *   0 int32 fix quality, 4 int32 satellites, 8 float32 HDOP,
 *   12 float32 altitude (m), 16 int32 differential age (s),
 *   20 int32 time of the fix (ms since midnight UTC),
 *   36 int32 latitude degrees, 40 float64 latitude minutes,
 *   48 int32 longitude degrees, 52 float64 longitude minutes;
 * all other bytes 0. Returns 1 when filled, 0 without a position block. */
ZOZI32_API int wglGetPosData(void* buffer, int reserved);
/* Writes the altitude in metres; 0 = written. */
ZOZI32_API int nmeaGetHeight(float* height);
ZOZI32_API int wglDeHook(uint32_t handle);
/* Detaches one wglInstall. */
ZOZI32_API int wglUnInstall(int reserved);
/* Non-zero = the port is configured (or closed, for port 0). */
ZOZI32_API int nmeaSetComPort(const NmeaPortConfig* config);
/* Non-zero = filled. */
ZOZI32_API int nmeaGetComPort(NmeaPortConfig* config);
/* Empty name or null stops recording / playback. Relative names are taken
 * from this process's working directory. */
ZOZI32_API int nmeaSetRecordFile(const char* fileName);
ZOZI32_API int nmeaSetPlayFile(const char* fileName);
/* 0..3 for 1x, 2x, 4x, 8x. */
ZOZI32_API int nmeaSetPlaySpeed(int speedExponent);
/* Non-zero = filled. */
ZOZI32_API int nmeaGetState(NmeaState* state);

/* How notifications are delivered; without one they are dropped. */
ZOZI32_API void zoziSetPostFunction(ZoziPostFunction function, void* context);

#ifdef __cplusplus
}
#endif

#endif
