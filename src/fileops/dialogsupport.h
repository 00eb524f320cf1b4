#pragma once
// Small pieces the file dialogs share: their place on the screen, their
// client size, the key-down event of a text field, blank trimming and the
// messages for the file-error numbers.
#include <QString>
#include <functional>

class QLineEdit;
class QWidget;
namespace plat {
class FileError;
}

namespace fileops {

void centreOnScreen(QWidget* window);
void setClientSize(QWidget* window, double widthTwips, double heightTwips);

// Raises handler(KeyCode, Shift) for every key pressed in the field (13 for
// Enter and Return, 27 for Escape, the letter's code for letters); the key
// then goes on to the field as usual.
void onKeyDown(QLineEdit* field, std::function<void(int keyCode, int shift)> handler);

// Leading and trailing blanks removed (blanks only, not tabs).
QString trimBlanks(const QString& s);

// A pair of number and message; the first entry whose number matches wins.
struct ErrorText {
    int number;
    const char* message;
};
// The message for a number, or an empty text when the table has none.
QString messageFor(int number, std::initializer_list<ErrorText> table);

// True when a typed name names one entry of its folder: no "\", "/" or ":"
// (each would reach another folder or drive) and not "." or "..".
bool isSingleName(const QString& name);

// The message of a copy failure whose number alone would name the wrong
// cause: a source that may not be read, a source whose folder is gone
// (the numbers' messages speak of the destination), a name or path too
// long. Empty when the number's own message is right.
QString copyCauseMessage(const plat::FileError& e, const QString& source,
                         const QString& destination);

} // namespace fileops
