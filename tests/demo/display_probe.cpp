// A helper of the headless demo test, run inside the Wine session:
//
//   demo_display_probe.exe        prints the display mode now, as "mode <width>x<height>"
//   demo_display_probe.exe hold   stays until its standard input closes, so the Wine desktop
//                                 stays up (and can be photographed) after the loader ends
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "hold") == 0) {
        char buffer[64];
        DWORD read = 0;
        HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
        while (ReadFile(input, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        }
        return 0;
    }
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
        std::printf("mode unknown\n");
        return 1;
    }
    std::printf("mode %lux%lu\n", mode.dmPelsWidth, mode.dmPelsHeight);
    return 0;
}
