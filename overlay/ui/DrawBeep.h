#pragma once

#include <functional>

// The system's default beep of the drawing functions (a click beside every
// map, an area of fewer than three points). Tests count the beeps instead.
namespace DrawBeep {
void beep();
// None restores the system beep.
void setBeeper(std::function<void()> beeper);
} // namespace DrawBeep
