#include "DataPage.h"

namespace {
BaseDataPageManager* g_manager = nullptr;
}

QWidget* DataPageInfo::createContent(QWidget* owner) {
    return creator ? creator(owner) : nullptr;
}

BaseDataPageManager::BaseDataPageManager() {
    g_manager = this;
}

BaseDataPageManager::~BaseDataPageManager() {
    if (g_manager == this)
        g_manager = nullptr;
}

BaseDataPageManager* BaseDataPageManager::instance() {
    return g_manager;
}
