#pragma once

#include "velmar32.h"

// What the test overlay library was handed by the map window. The window's
// overlay pointer points to one of these.
struct OverlayCall {
    int calls = 0;
    TLM_HANDLE map = 0;
    TLM_HDC hdc = 0;
    TLM_RECT client{};
    bool clipGiven = false;
    int32_t x = -1;
    int32_t y = -1;
};
