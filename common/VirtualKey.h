#pragma once

#include <cstdint>

// The Windows virtual-key code of a Qt key, as the key messages of the map
// windows carry it; 0 for keys without one. Letters and digits share their
// codes with ASCII.
uintptr_t virtualKeyOf(int qtKey);
