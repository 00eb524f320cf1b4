#include "fileops/filemessages.h"

#include "platform/drives.h"
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

bool targetFolderWentAway(const plat::FileError& e)
{
    return e.number() == plat::ErrPathNotFound && !e.onSource() &&
           e.cause() == plat::FileCause::FolderMissing;
}

QString notCopiedText(const QStringList& names)
{
    if (names.isEmpty()) return QString();
    constexpr int kShown = 10;
    QStringList shown;
    for (qsizetype i = 0; i < names.size() && i < kShown; ++i)
        shown.append(plat::drives::displayName(names.at(i)));
    QString text = QStringLiteral("\n\nNot copied:\n") + shown.join('\n');
    if (names.size() > kShown)
        text += QStringLiteral("\n... and %1 more").arg(names.size() - kShown);
    return text;
}

} // namespace fileops
