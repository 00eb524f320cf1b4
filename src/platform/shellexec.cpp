#include "platform/shellexec.h"

#include "platform/drives.h"
#include "platform/fileerror.h"

#include <QDesktopServices>
#include <QUrl>

namespace plat {

namespace {
class RealShellOpen : public ShellOpenSeam {
  public:
    bool open(const QString&, const QString& hostPath, int) override
    {
        // The address carries the name's exact bytes, percent-encoded.
        QByteArray bytes;
        try {
            bytes = drives::hostBytes(hostPath);
        } catch (const FileError&) {
            return false;
        }
        return QDesktopServices::openUrl(
            QUrl::fromEncoded("file://" + QUrl::toPercentEncoding(bytes, "/")));
    }
};
ShellOpenSeam* realSeam()
{
    static RealShellOpen real;
    return &real;
}
ShellOpenSeam*& current()
{
    static ShellOpenSeam* seam = realSeam();
    return seam;
}
} // namespace

void setShellOpenSeam(ShellOpenSeam* seam)
{
    current() = seam ? seam : realSeam();
}

long ShellExecute(const QString& verb, const QString& winPath, int showCmd)
{
    QString host;
    try {
        host = drives::toHost(winPath);
    } catch (const FileError&) {
        return 3; // path not found
    }
    return current()->open(verb, host, showCmd) ? 42 : 2;
}

} // namespace plat
