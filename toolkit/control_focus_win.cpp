// Moving the keyboard focus to a control by its number.
#include "toolkit/controls.h"
#include "toolkit/window_internal.h"

bool FocusControl(int32_t number) {
    return FocusChild(ControlNativeHandle(number));
}
