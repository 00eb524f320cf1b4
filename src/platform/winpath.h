#pragma once
// The rules of a Windows path as text: how a folder and a name join, where a
// path's folder ends and its name starts, the suffix of a name and the free
// name for a copy. Pure text, no file system: the windows above the platform
// layer hold every path in this form ("C:\Data\a.txt", a root is "C:\").
#include <QString>
#include <functional>

namespace plat::winpath {

// A drive root, "C:\": the one folder whose path ends in a backslash.
bool isRoot(const QString& path);

// The folder and the name joined by a backslash, unless the folder already
// ends in one (a root). A name with no folder stays a bare name.
QString join(const QString& folder, const QString& name);

// The folder that holds a path: "C:\Data\a.txt" -> "C:\Data",
// "C:\a.txt" -> "C:\"; a root is its own parent. Empty for a bare name.
QString parent(const QString& path);

// The name after the last backslash; the whole text for a bare name.
QString fileName(const QString& path);

// The suffix of a path's name with its dot ("a.tar.gz" -> ".gz"); none for
// a name with no dot or whose only dot leads (".profile").
QString suffix(const QString& path);

// The path for a new copy of name in folder that no other file takes:
// the name itself when it is free, otherwise "stem (2).suffix",
// "stem (3).suffix" and so on, the first that taken() refuses.
QString freeName(const QString& folder, const QString& name,
                 const std::function<bool(const QString& path)>& taken);

} // namespace plat::winpath
