#pragma once
// The one rule by which a key press marks a window's contents as edited,
// shared by every window that keeps an unsaved-edit flag.
#include <Qt>

// A letter, a digit, a keypad key, Space, Delete, Backspace or Enter pressed
// without Shift, Ctrl or Alt (the keypad's own modifier does not count).
bool KeyMarksEdit(int key, Qt::KeyboardModifiers modifiers);
