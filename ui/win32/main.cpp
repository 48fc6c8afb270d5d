#include <windows.h>

#include "ui/win32/generator_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return cirrowisp::win32::theApp().run();
}
