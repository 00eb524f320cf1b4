#include "openbytype/suffixes.h"

namespace suffixes {

const QStringList HtmlSuffixes = {QStringLiteral("htm"),  QStringLiteral("Htm"),
                                  QStringLiteral("HTM"),  QStringLiteral("html"),
                                  QStringLiteral("Html"), QStringLiteral("HTML")};

bool EndsInAny(const QString& name, const QStringList& forms)
{
    for (const QString& f : forms)
        if (name.endsWith(f, Qt::CaseSensitive)) return true;
    return false;
}

} // namespace suffixes
