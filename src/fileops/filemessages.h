#pragma once
// The file dialogs' messages: a number's own text from a window's table, the
// typed-name rule, and the copy failures whose number alone would mislead.
#include <QString>
#include <QStringList>
#include <initializer_list>

namespace plat {
class FileError;
}

namespace fileops {

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

// True for a copy that stopped because its target folder went away on the
// way (a drive unmounted, the folder moved or replaced): the rest of the
// files are not copied, and the message names them.
bool targetFolderWentAway(const plat::FileError& e);
// The files a stopped copy did not copy, to follow its message: an empty
// text for none.
QString notCopiedText(const QStringList& names);

} // namespace fileops
