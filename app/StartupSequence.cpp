#include "StartupSequence.h"

#include <algorithm>

namespace Startup {

namespace {

std::vector<Step>& registry() {
    // Filled by static objects of several libraries: created on first use so
    // that the order of their initialisation does not matter.
    static std::vector<Step> steps;
    return steps;
}

} // namespace

Registration::Registration(int order, const char* name, std::function<void(Context&)> run) {
    registry().push_back({order, name, std::move(run)});
}

std::vector<Step> steps() {
    std::vector<Step> sorted = registry();
    std::stable_sort(sorted.begin(), sorted.end(), [](const Step& a, const Step& b) { return a.order < b.order; });
    return sorted;
}

} // namespace Startup
