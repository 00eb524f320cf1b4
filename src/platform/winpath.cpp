#include "platform/winpath.h"

namespace plat::winpath {

bool isRoot(const QString& path)
{
    return path.size() == 3 && path.endsWith(QLatin1String(":\\"));
}

QString join(const QString& folder, const QString& name)
{
    if (folder.isEmpty()) return name;
    return folder.endsWith(u'\\') ? folder + name : folder + u'\\' + name;
}

QString parent(const QString& path)
{
    const qsizetype cut = path.lastIndexOf(u'\\');
    if (cut < 0) return QString();
    // The backslash after a drive letter is part of the root, not a separator.
    if (cut == 2 && path.at(1) == u':') return path.left(3);
    return path.left(cut);
}

QString fileName(const QString& path)
{
    return path.mid(path.lastIndexOf(u'\\') + 1);
}

QString suffix(const QString& path)
{
    const QString name = fileName(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.mid(dot) : QString();
}

QString freeName(const QString& folder, const QString& name,
                 const std::function<bool(const QString& path)>& taken)
{
    QString target = join(folder, name);
    const QString tail = suffix(name);
    const QString stem = name.left(name.size() - tail.size());
    for (int k = 2; taken(target); ++k)
        target = join(folder, stem + QStringLiteral(" (%1)").arg(k) + tail);
    return target;
}

} // namespace plat::winpath
