#pragma once
// The shell's "open" of a document with the program the desktop associates
// with it.
#include <QString>

namespace plat {

class ShellOpenSeam {
  public:
    virtual ~ShellOpenSeam() = default;
    virtual bool open(const QString& verb, const QString& hostPath, int showCmd) = 0;
};
void setShellOpenSeam(ShellOpenSeam* seam); // nullptr restores the real one

// Returns a value above 32 on success, as callers of the Windows call expect.
long ShellExecute(const QString& verb, const QString& winPath, int showCmd);

} // namespace plat
