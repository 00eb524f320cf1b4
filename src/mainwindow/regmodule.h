#pragma once
// Storing the three background colours, each as decimal text under
// "Software\Quorbix\MainForm", taken from the control that stands for its kind.
#include <QString>

namespace RegModule {

inline const QString kColorKey = QStringLiteral("Software\\Quorbix\\MainForm");
inline const QString kFormColor = QStringLiteral("Form BackColor");
inline const QString kDirBoxColor = QStringLiteral("DirBox BackColor");
inline const QString kFileBoxColor = QStringLiteral("FileBox BackColor");

void SaveFormColor();    // the main window's colour
void SaveDirBoxColor();  // pane 1's folder list stands for all five
void SaveFileBoxColor(); // pane 1's file list stands for all five

} // namespace RegModule
