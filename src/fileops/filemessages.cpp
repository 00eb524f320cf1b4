#include "fileops/filemessages.h"

#include "platform/fileerror.h"
#include "platform/winpath.h"

namespace fileops {

QString messageFor(int number, std::initializer_list<ErrorText> table)
{
    for (const ErrorText& t : table)
        if (t.number == number) return QString::fromUtf8(t.message);
    return QString();
}

bool isSingleName(const QString& name)
{
    if (name == u"." || name == u"..") return false;
    return !name.contains('\\') && !name.contains('/') && !name.contains(':');
}

QString copyCauseMessage(const plat::FileError& e, const QString& source,
                         const QString& destination)
{
    // The platform's own sentence, where the number alone would mislead (a
    // pipe or a device given as a file, a save behind a kept copy).
    if (!e.message().isEmpty()) return e.message();
    if (e.number() == plat::ErrNameTooLong)
        return "File name or path too long: " + (e.onSource() ? source : destination);
    if (!e.onSource()) return QString();
    switch (e.cause()) {
    case plat::FileCause::ReadPermission:
        return "Can't copy: no permission to read " + source;
    case plat::FileCause::SearchPermission:
        return "Can't copy: no permission to open the folder of " + source;
    default:
        break;
    }
    if (e.number() == plat::ErrPathNotFound)
        return "The folder to copy from is not found: " + plat::winpath::parent(source);
    if (e.number() == plat::ErrFileNotFound) return "File not found: " + source;
    return QString();
}

} // namespace fileops
