#include "grid_keys.h"

namespace plandex {

int keyCodeOf(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey; // same codes, 65..90
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return qtKey; // 48..57
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return 112 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyCode::Enter;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return KeyCode::PageDown;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return KeyCode::Left;
    case Qt::Key_Up:
        return KeyCode::Up;
    case Qt::Key_Right:
        return KeyCode::Right;
    case Qt::Key_Down:
        return KeyCode::Down;
    case Qt::Key_Insert:
        return KeyCode::Insert;
    case Qt::Key_Delete:
        return KeyCode::Delete;
    default:
        return 0;
    }
}

int shiftStateOf(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? ShiftMask : 0) |
           (modifiers & Qt::ControlModifier ? CtrlMask : 0) |
           (modifiers & Qt::AltModifier ? AltMask : 0);
}

int buttonStateOf(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? LeftButton : 0) |
           (buttons & Qt::RightButton ? RightButton : 0) |
           (buttons & Qt::MiddleButton ? MiddleButton : 0);
}

} // namespace plandex
