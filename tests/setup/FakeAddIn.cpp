// Stands in for the add-in library in a fake program folder: registering leaves
// a marker in the folder named by TABLORIA_TEST_MARKERS.
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" __attribute__((visibility("default"))) long DllRegisterServer()
{
    const char* markers = std::getenv("TABLORIA_TEST_MARKERS");
    if (markers == nullptr)
        return 1;
    std::FILE* marker = std::fopen((std::string(markers) + "/add-in").c_str(), "w");
    if (marker == nullptr)
        return 1;
    std::fputs("registered\n", marker);
    std::fclose(marker);
    return 0;
}
