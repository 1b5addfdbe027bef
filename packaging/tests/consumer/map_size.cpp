// Opens a map through the installed map library and prints its size.
#include <velmar32.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const TLM_HANDLE map = TLM_Open(argv[1]);
    if (map == 0) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    int32_t size[2] = {0, 0};
    TLM_GetSize(map, size);
    std::printf("%d x %d\n", size[0], size[1]);
    TLM_Close(map);
    return 0;
}
