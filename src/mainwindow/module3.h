#pragma once
// The program's settings: text values in the settings store, read and written
// one call at a time with nothing kept in between.
#include "platform/registry.h"

#include <QString>

namespace Module3 {

constexpr quint32 HKEY_CURRENT_USER = plat::HKEY_CURRENT_USER;

// The value's text, or a null QString when there is none: a missing key or
// value, a value that is not plain text, or a store that cannot be read. A
// stored empty text gives an empty, non-null QString.
QString ReadRegValue(quint32 root, const QString& key, const QString& name);
// A read tells the user, once, of a settings file the store refused (it is
// not a settings file of ours, and is left as it is). Writes say nothing:
// they report whether the store kept the change, and the caller, which
// knows what the user changed, names it (TellNotKept).
// Stores the text as plain text, replacing any value of that name; creates
// the key. False when the value was not stored.
bool WriteRegValue(quint32 root, const QString& key, const QString& name, const QString& text);
// Removes the value; the key stays, even when it is left empty. False when
// the value may still be there (a missing value is no failure).
bool DeleteRegValue(quint32 root, const QString& key, const QString& name);
// Why the last write or delete failed, in words for the user.
QString LastFailure();
// Shows that a change was not kept: "<setting> was not kept: <why>."
void TellNotKept(const QString& setting);

} // namespace Module3
