#include "openbytype/typesuffixes.h"

#include "platform/process.h"

namespace openbytype {

const QStringList ProgramSuffixes = {"Sys", "sys", "SYS", "BAT", "Bat", "bat", "exe", "EXE",
                                     "Exe", "Dll", "DLL", "dll", "Com", "com", "COM"};

QStringList MediaSuffixes(int pane)
{
    QStringList forms = {"WAV", "Wav", "wav", "MPG", "Mpg", "mpg"};
    if (pane == 1)
        forms << "MPEG"
              << "Mpeg"
              << "mpeg";
    forms << "Avi"
          << "AVI"
          << "avi"
          << "MID"
          << "Mid"
          << "mid"
          << "MIDI"
          << "Midi"
          << "midi"
          << "asf"
          << "ASF"
          << "Asf"
          << "aiff"
          << "AIFF"
          << "Aiff"
          << "aif"
          << "Aif"
          << "AIF"
          << "AIFC"
          << "Aifc"
          << "aifc"
          << "SND"
          << "Snd"
          << "snd"
          << "SWF"
          << "Swf"
          << "swf"
          << "RMI"
          << "Rmi"
          << "rmi"
          << "MP3"
          << "Mp3"
          << "mp3"
          << "WMA"
          << "Wma"
          << "wma"
          << "AU"
          << "Au"
          << "au"
          << "WPL"
          << "Wpl"
          << "wpl";
    return forms;
}

const QStringList PictureSuffixes = {"BMP", "Bmp", "bmp", "GIF", "Gif", "gif", "JPG", "Jpg", "jpg",
                                     "WMF", "Wmf", "wmf", "ICO", "Ico", "ico", "CUR", "Cur", "cur"};

const QStringList DispatchPictureSuffixes = {"WMF", "Wmf", "wmf",  "BMP",  "Bmp",  "bmp", "JPG",
                                             "Jpg", "jpg", "JPEG", "Jpeg", "jpeg", "GIF", "Gif",
                                             "gif", "ICO", "Ico",  "ico",  "CUR",  "Cur", "cur"};

const QStringList ArchiveSuffixes = {
    "Zip",    "ZIP",    "zip",    "tar.Z",  "Tar.Z", "TAR.Z", "tar.z", "Tar.z", "TAR.z",
    "TAR.GZ", "Tar.gz", "tar.gz", "PS.Z",   "Ps.Z",  "ps.Z",  "ps.z",  "Ps.z",  "Shar.z",
    "SHAR.Z", "Shar.Z", "shar.Z", "shar.z", "TAR",   "Tar",   "tar",   ".z",    ".Z"};

QString MediaPlayerPath(int blanks)
{
    return plat::kMediaPlayerPath + QString(blanks, QLatin1Char(' '));
}

bool EndsWithForm(const QString& name, const QString& form)
{
    return QStringView(name).right(form.size()) == form;
}

QString MatchingForm(const QString& name, const QStringList& forms)
{
    for (const QString& form : forms)
        if (EndsWithForm(name, form)) return form;
    return QString();
}

} // namespace openbytype
