#include "standalone/mmci.h"

#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/mci.h"
#include "platform/resources.h"
#include "standalone/playavi.h"

#include <cmath>
#include <stdexcept>

namespace mMCI {

namespace {
// The temporary file is ours only when this program wrote it: a file of
// that name that was there before belongs to the user and is left alone.
bool g_tempFileIsOurs = false;
} // namespace

int HalfRoundedToEven(int difference)
{
    return static_cast<int>(std::nearbyint(difference / 2.0));
}

bool OpenVideo(plat::win::HWND hParent, const QString& file, qint32 resourceNumber, bool centre,
               bool play)
{
    QString reply;
    try {
        CloseVideo();
        QString source = file;
        if (resourceNumber != 0) {
            // A file of that name that this call did not write is the
            // user's, not the clip: never play it in the clip's place.
            if (!ExtractAvi(file, resourceNumber)) throw std::runtime_error("no clip written");
            source = kTempFile;
        }
        // Quoted, so a path with blanks is one word of the command.
        plat::mci::mciSendString("open \"" + source + "\" Type avivideo Alias video parent " +
                                     QString::number(hParent) + " Style child",
                                 nullptr, 0, 0);
        plat::mci::mciSendString("status video window handle", &reply, 511, 0);
        bool ok = false;
        const int hVideo = reply.section(QChar(0), 0, 0).trimmed().toInt(&ok);
        if (!ok) throw std::runtime_error("no video window");
        if (centre) CenterWindow(hParent, hVideo);
        if (play) plat::mci::mciSendString("play video ", nullptr, 0, 0);
        PlayAvi::get().Command1->setEnabled(true);
        return true;
    } catch (const std::exception&) {
        CloseVideo();
        return false;
    }
}

void CloseVideo()
{
    plat::mci::mciSendString("close video", nullptr, 0, 0);
    if (!g_tempFileIsOurs) return;
    try {
        if (plat::fs::fileExists(kTempFile)) plat::fs::removeFile(kTempFile);
        g_tempFileIsOurs = false;
    } catch (const plat::FileError&) {
        // still there; the next close tries again
    }
}

void CenterWindow(plat::win::HWND hParent, plat::win::HWND hChild)
{
    plat::win::RECT parent, child;
    plat::win::GetWindowRect(hParent, &parent);
    plat::win::GetWindowRect(hChild, &child);
    const int childWidth = child.right - child.left;
    const int childHeight = child.bottom - child.top;
    const int x = HalfRoundedToEven((parent.right - parent.left) - childWidth);
    const int y = HalfRoundedToEven((parent.bottom - parent.top) - childHeight);
    plat::win::MoveWindow(hChild, x, y, childWidth, childHeight, true);
}

bool ExtractAvi(const QString& moduleFile, qint32 resourceNumber)
{
    using namespace plat::res;
    const HMODULE module = LoadLibraryA(moduleFile);
    if (module == 0) return false;
    const HRSRC res = FindResourceA(module, "#" + QString::number(resourceNumber), "AVI");
    if (res == 0) {
        FreeLibrary(module);
        return false;
    }
    const HGLOBAL data = LoadResource(module, res);
    const char* bytes = LockResource(data);
    const quint32 size = SizeofResource(module, res);
    if (size == 0 || !bytes) {
        FreeLibrary(module);
        return false;
    }
    const QByteArray copy(bytes, qsizetype(size));
    FreeResource(data);
    bool written = false;
    try {
        // Never over a file of the user's: only a name that is free.
        if (!plat::fs::pathExists(kTempFile)) {
            plat::fs::writeFileAtomic(kTempFile, copy);
            g_tempFileIsOurs = true;
            written = true;
        }
    } catch (const plat::FileError&) {
    }
    FreeLibrary(module);
    return written;
}

} // namespace mMCI
