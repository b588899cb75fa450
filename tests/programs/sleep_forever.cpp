// sleep_forever: sleeps until it is killed; uses no processor time.
#include <windows.h>

int main() {
    Sleep(INFINITE);
    return 0;
}
