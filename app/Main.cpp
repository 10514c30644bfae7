#include <windows.h>

#include "app/Windows.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return quellrin::RunProgram();
}
