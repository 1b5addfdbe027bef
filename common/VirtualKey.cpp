#include "VirtualKey.h"

#include <Qt>

#include <map>

uintptr_t virtualKeyOf(int key) {
    static const std::map<int, uintptr_t> table = {
        {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},     {Qt::Key_Return, 0x0D},   {Qt::Key_Enter, 0x0D},
        {Qt::Key_Shift, 0x10},     {Qt::Key_Control, 0x11}, {Qt::Key_Alt, 0x12},      {Qt::Key_Escape, 0x1B},
        {Qt::Key_Space, 0x20},     {Qt::Key_PageUp, 0x21},  {Qt::Key_PageDown, 0x22}, {Qt::Key_End, 0x23},
        {Qt::Key_Home, 0x24},      {Qt::Key_Left, 0x25},    {Qt::Key_Up, 0x26},       {Qt::Key_Right, 0x27},
        {Qt::Key_Down, 0x28},      {Qt::Key_Insert, 0x2D},  {Qt::Key_Delete, 0x2E},   {Qt::Key_Plus, 0xBB},
        {Qt::Key_Minus, 0xBD},
    };
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return uintptr_t(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return uintptr_t(0x70 + key - Qt::Key_F1);
    const auto it = table.find(key);
    return it == table.end() ? 0 : it->second;
}
