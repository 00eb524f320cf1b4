#pragma once
// The system's mount table, as the drive table and the file layer need it:
// the folders volumes are mounted on, and whether a volume was mounted or
// taken out since something was last learnt of a drive. Read from
// /proc/self/mountinfo, which polls as POLLPRI once a mount is added or
// removed, so a look costs one poll while nothing changes.
#include <QByteArray>
#include <QStringList>

#include <functional>

namespace plat::mounts {

// The mount points a mount table's text (as /proc/self/mountinfo gives it)
// lists, each once, sorted, in the platform's text form for host paths
// (drives.h), its escapes ("\040" for a blank) undone.
QStringList pointsIn(const QByteArray& mountinfo);

// The mount table's text now: the system's, or the seam's.
QByteArray tableText();

// How many changes of the mount table have been seen. Asks the system
// whether a mount was added or removed since it was last asked (one poll,
// nothing read; every change counts, also one that leaves the text as it
// was), or reads the seam's text and compares it. Whatever is kept of a drive or
// of a folder on it (a folder's reading, our sweep of a folder) holds the
// count it was learnt at and is learnt afresh once it differs.
quint64 generation();

// A descriptor of its own on the system's mount table, which polls as
// POLLPRI (an exception on a QSocketNotifier) when a mount is added or
// removed; -1 where there is none, or while the seam stands in for the
// system. The caller closes it.
int openWatch();

// Tests: the text of the mount table (as /proc/self/mountinfo), asked at
// each look; an empty function restores the system's table.
void setTableSource(std::function<QByteArray()> source);

} // namespace plat::mounts
