// An overlay library for the tests: it notes its arguments and draws the
// map as the window would.
#include "WindowOverlayPlugin.h"

extern "C" __attribute__((visibility("default"))) int32_t TLM_Overlay_Draw(TLM_HANDLE map, TLM_HDC hdc,
                                                                           const TLM_RECT* client, const TLM_RECT* clip,
                                                                           int32_t x, int32_t y, void* overlay) {
    auto* call = static_cast<OverlayCall*>(overlay);
    if (!call || !client)
        return 0;
    ++call->calls;
    call->map = map;
    call->hdc = hdc;
    call->client = *client;
    call->clipGiven = clip != nullptr;
    call->x = x;
    call->y = y;
    return TLM_Draw(map, hdc, client, clip, x, y);
}
