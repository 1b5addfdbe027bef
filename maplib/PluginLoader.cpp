#include "PluginLoader.h"

#include <dlfcn.h>

namespace PluginLoader {

static std::string ownDirectory() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ownDirectory), &info) == 0 || info.dli_fname == nullptr)
        return {};
    const std::string path = info.dli_fname;
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void* load(const std::string& fileName) {
    const std::string dir = ownDirectory();
    if (!dir.empty()) {
        if (void* lib = dlopen((dir + fileName).c_str(), RTLD_NOW | RTLD_LOCAL))
            return lib;
    }
    return dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* loadSystem(std::initializer_list<const char*> fileNames) {
    for (const char* name : fileNames) {
        if (void* lib = dlopen(name, RTLD_NOW | RTLD_LOCAL))
            return lib;
    }
    return nullptr;
}

void* symbol(void* library, const char* name) {
    return library ? dlsym(library, name) : nullptr;
}

} // namespace PluginLoader
