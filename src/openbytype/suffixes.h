#pragma once
// File-name endings. A name has an ending when its last n characters equal
// one of the forms, n being the form's own length: case-sensitive, with no
// dot required.
#include <QString>
#include <QStringList>

namespace suffixes {

// The six forms that mark an HTML file.
extern const QStringList HtmlSuffixes;

bool EndsInAny(const QString& name, const QStringList& forms);
inline bool HasHtmlEnding(const QString& name)
{
    return EndsInAny(name, HtmlSuffixes);
}

} // namespace suffixes
