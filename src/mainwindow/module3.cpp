#include "mainwindow/module3.h"

#include "platform/msgbox.h"

namespace Module3 {

namespace {

// The host's code page is UTF-8. Text goes in without a terminating NUL.
QByteArray ansiBytes(const QString& text)
{
    return text.toUtf8();
}

// Values written by other programs may carry a terminating NUL, or stray bytes
// after one; the text ends at the first.
QString ansiText(const QByteArray& bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    QString text = QString::fromUtf8(nul < 0 ? bytes : bytes.left(nul));
    // An empty value is an empty text, not "nothing".
    if (text.isNull()) text = QStringLiteral("");
    return text;
}

// A refusal of the settings file is told once, when the store found it.
void tellNotice()
{
    const QString notice = plat::Registry::takeNotice();
    if (!notice.isEmpty()) plat::MsgBox(notice, plat::vbExclamation);
}

} // namespace

QString ReadRegValue(quint32 root, const QString& key, const QString& name)
{
    quint32 handle = 0;
    plat::RegOpenKey(root, key, &handle);

    quint32 type = 0;
    quint32 size = 0;
    plat::RegQueryValueEx(handle, name, &type, nullptr, &size);

    QString result;
    if (type == plat::REG_SZ) {
        QByteArray buffer(qsizetype(size), ' ');
        // The type is asked again: another running copy may have replaced the
        // value between the two calls, and only plain text reads as text.
        if (plat::RegQueryValueEx(handle, name, &type, &buffer, &size) ==
                plat::RegResult::Success &&
            type == plat::REG_SZ)
            result = ansiText(buffer);
    }

    if (handle) plat::RegCloseKey(handle);
    tellNotice();
    return result;
}

bool WriteRegValue(quint32 root, const QString& key, const QString& name, const QString& text)
{
    quint32 handle = 0;
    long rc = plat::RegCreateKey(root, key, &handle);
    if (handle) {
        rc = plat::RegSetValueEx(handle, name, plat::REG_SZ, ansiBytes(text));
        plat::RegCloseKey(handle);
    }
    // A refusal of the file is in the caller's reason (LastFailure).
    plat::Registry::takeNotice();
    return rc == plat::RegResult::Success;
}

bool DeleteRegValue(quint32 root, const QString& key, const QString& name)
{
    quint32 handle = 0;
    long rc = plat::RegOpenKey(root, key, &handle);
    if (handle) {
        rc = plat::RegDeleteValue(handle, name);
        plat::RegCloseKey(handle);
    }
    plat::Registry::takeNotice();
    // Nothing to delete is no failure.
    return rc == plat::RegResult::Success || rc == plat::RegResult::NotFound;
}

QString LastFailure()
{
    const QString why = plat::Registry::lastFailure();
    return why.isEmpty() ? QStringLiteral("the settings file cannot be used") : why;
}

void TellNotKept(const QString& setting)
{
    plat::MsgBox(QStringLiteral("%1 was not kept: %2.").arg(setting, LastFailure()),
                 plat::vbExclamation);
}

} // namespace Module3
