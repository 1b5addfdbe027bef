#include "DrawBeep.h"

#include <QApplication>

namespace DrawBeep {
namespace {
std::function<void()>& beeper() {
    static std::function<void()> instance = [] { QApplication::beep(); };
    return instance;
}
} // namespace

void beep() {
    beeper()();
}

void setBeeper(std::function<void()> function) {
    beeper() = function ? std::move(function) : [] { QApplication::beep(); };
}
} // namespace DrawBeep
