#pragma once
// The records of saves in place at work: written before a file is touched,
// so that a save cut short is told at the next start. Internal to the
// platform layer.
#include "platform/safewrite.h"

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

namespace plat::fs::detail {

// The record of one save in place, written and synced before the file is
// touched, locked for as long as the save runs. It is first written whole
// under a hidden name, before the copy it names takes that name, and given
// its own name once the copy has it: a save cut short between the two
// leaves a hidden record by which the next start finds the copy and takes
// it away again, since that save had not touched the file yet.
struct Record {
    Fd dir;
    Fd fd;
    QByteArray draft; // the hidden name, until the record has its own
    QByteArray name;
    QString folder;

    [[noreturn]] void fail(const Target& t, int e);
    // Writes and syncs the record, hidden and locked, naming the copy by
    // the name it is about to take; written again for another name. Throws,
    // with the file untouched, where it cannot be written and synced: a
    // save cut short without one could not be told.
    void prepare(const Target& t, const struct stat& fileSt, const QByteArray& kept,
                 const struct stat& keptSt);
    // The record takes its own name: the copy it names has that name now.
    void commit(const Target& t);
    void remove();
};

// What the start tells of a save whose old content is kept in `kept`.
QString keptMessage(const QByteArray& file, const QByteArray& kept);
QString lostKeptMessage(const QByteArray& file, const QByteArray& kept);

// Tells of the saves whose writers are gone: all of them, or those of one
// file (its path or its identity).
void tellUnfinished(const QByteArray* file = nullptr, const struct stat* fileSt = nullptr);

} // namespace plat::fs::detail
