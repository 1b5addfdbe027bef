#pragma once

class DataPageInfo;
class TMapFunctionAction;
class TZeichnenFrame;
class UserDrawFunction;

// The drawing module: made once by the start-up sequence. It owns the idle
// drawing function (through its action "&Zeichnen"), the page "Zeichnen" and
// its frame, which exists from start-up on so that the element tree is
// painted and can be loaded before the page is first shown.
namespace DrawingModule {

// None before the module started.
TZeichnenFrame* frame();
UserDrawFunction* function();
TMapFunctionAction* action();
DataPageInfo* page();
// Whether the page "Zeichnen" is the current page of its page control.
bool pageShown();

} // namespace DrawingModule
