// The grid reports keys, mouse buttons and modifier keys as the Windows key
// codes and state bits the editor's handlers compare with: key 46 is Delete,
// 67 is C; shift state 1 Shift, 2 Ctrl, 4 Alt; button 1 left, 2 right, 4 middle.
#pragma once

#include <Qt>

namespace plandex {

namespace KeyCode {
inline constexpr int Enter = 13;
inline constexpr int PageDown = 34;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Insert = 45;
inline constexpr int Delete = 46;
inline constexpr int C = 67;
inline constexpr int V = 86;
} // namespace KeyCode

inline constexpr int ShiftMask = 1;
inline constexpr int CtrlMask = 2;
inline constexpr int AltMask = 4;

inline constexpr int LeftButton = 1;
inline constexpr int RightButton = 2;
inline constexpr int MiddleButton = 4;

// Key code of a Qt key, 0 for keys without one.
int keyCodeOf(int qtKey);
int shiftStateOf(Qt::KeyboardModifiers modifiers);
int buttonStateOf(Qt::MouseButtons buttons);

} // namespace plandex
