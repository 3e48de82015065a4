#include "standin/host/module_loader.h"

#include <cstdio>

HMODULE LoadModule(const char* path) {
    HMODULE module = LoadLibraryA(path);
    if (module == nullptr) {
        std::fprintf(stderr, "standin: cannot load %s (error %lu)\n", path, GetLastError());
    }
    return module;
}
