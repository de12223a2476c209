// The end-to-end tests' entry: quellarin_e2e PROGRAM.exe [gtest flags].
#include "app.h"

#include <gtest/gtest.h>

namespace {

// A Unix path as Wine's Z: drive sees it.
std::wstring windows_path(const char* path)
{
    std::wstring out;
    if (path[0] == '/')
        out = L"Z:";
    for (const char* c = path; *c; ++c)
        out += *c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: quellarin_e2e PROGRAM.exe [gtest flags]\n");
        return 2;
    }
    app_path = windows_path(argv[1]);
    return RUN_ALL_TESTS();
}
