#pragma once

#include <string>

// Optional libraries of the map library are looked for beside the code of the
// library itself first (so an installed library finds its own plug-ins), then
// by the dynamic loader's search path. Loaded libraries stay loaded until the
// process ends.
namespace PluginLoader {

// dlopen handle, or null when the library cannot be loaded.
void* load(const std::string& fileName);
// Loads the first of `fileNames` the loader knows (system libraries such as
// libbz2 are looked up by the loader only).
void* loadSystem(std::initializer_list<const char*> fileNames);
void* symbol(void* library, const char* name);

} // namespace PluginLoader
