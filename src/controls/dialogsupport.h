#pragma once
// Small pieces many windows share: their place on the screen, the key-down
// event of a text field and the blank trimming of typed input.
#include <QString>
#include <functional>

class QLineEdit;
class QWidget;

namespace ctl {

// In the middle of the primary screen's free area.
void centreOnScreen(QWidget* window);

// Raises handler(KeyCode, Shift) for every key pressed in the field (13 for
// Enter and Return, 27 for Escape, the letter's code for letters); the key
// then goes on to the field as usual.
void onKeyDown(QLineEdit* field, std::function<void(int keyCode, int shift)> handler);

// Leading and trailing blanks removed (blanks only: a tab or a no-break
// space is part of what was typed).
QString trimBlanks(const QString& s);

} // namespace ctl
