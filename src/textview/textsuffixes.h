#pragma once
// The text-like file-name endings: a file whose name ends in one of them
// opens in the editor. Each is compared on its own length, case-sensitively,
// with no dot required; they are tested in this order.
#include <QStringList>

namespace suffixes {

extern const QStringList TextSuffixes;

} // namespace suffixes
