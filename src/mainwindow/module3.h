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
// Stores the text as plain text, replacing any value of that name; creates the key.
void WriteRegValue(quint32 root, const QString& key, const QString& name, const QString& text);
// Removes the value; the key stays, even when it is left empty.
void DeleteRegValue(quint32 root, const QString& key, const QString& name);

} // namespace Module3
