#include "textview/textsuffixes.h"

namespace suffixes {

// clang-format off
const QStringList TextSuffixes = {
    "TXT", "bat", "txt", "doc", "DOC", "SYS", "sys", "ini", "BAT", "INI", "log", "LOG",
    "htm", "HTM", "htt", "HTT", "pss", "PSS", "scf", "SCF", "htz", "HTZ", "sam", "SAM",
    "Txt", "Bat", "Doc", "Sys", "Ini", "Log", "Htm", "Htt", "Pss", "Scf", "Htz", "Sam",
    "TTF", "ttf", "BAK", "Bak", "bak", "Ago", "AGO", "GPL", "gpl", "TMP", "tmp", "Tmp",
    "INF", "inf", "Inf", "config", "CONFIG", "Config", "CFG", "cfg", "Cfg", "SCP", "Scp", "scp",
    "DIZ", "Diz", "diz", "HTML", "Html", "html"};
// clang-format on

} // namespace suffixes
