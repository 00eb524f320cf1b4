#pragma once
// Delete sends files to the freedesktop trash; nothing the user deletes is
// removed for good.
#include <QString>

namespace plat::trash {

// Moves a file or folder (a Windows path) to the trash. On failure the item
// stays where it was and errorText, when given, says why.
bool moveToTrash(const QString& winPath, QString* errorText = nullptr);

// Tests replace the trash to see which paths were sent, and in what order,
// and to make a single one fail.
struct TrashSeam {
    virtual ~TrashSeam();
    // hostPath is in the drives layer's text form (drives::hostBytes gives
    // its exact bytes).
    virtual bool moveToTrash(const QString& hostPath, QString* err) = 0;
};
void setTrashSeam(TrashSeam* seam); // nullptr = the real trash

} // namespace plat::trash
