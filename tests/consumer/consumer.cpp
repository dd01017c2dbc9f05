// Builds against the installed package and makes a round trip through memory.
#include <velmoro/velmoro.h>

#include <cstdio>
#include <cstdlib>

int main()
{
    if (GetRenderInterfaceVersion() != 1)
        return 1;
    CDib image;
    if (!image.IsEmpty())
        return 2;
    // The codec module is installed beside the library and found there without a path.
    CJPeg codec;
    if (!codec.InitJPEGLibrary(NULL))
        return 3;
    std::puts("consumer: ok");
    return 0;
}
