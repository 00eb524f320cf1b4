#pragma once
// The system clipboard: text and pictures. The copy list keeps its source
// folder here, so anything that writes the clipboard replaces it.
#include <QImage>
#include <QString>
#include <functional>

namespace plat::clipboard {

QString GetText(); // empty when the clipboard holds no text
void SetText(const QString& text);
void Clear();
void SetImage(const QImage& image);
QImage GetImage();

// The primary selection of X11 (what a middle click pastes), where the
// system has one; elsewhere these do nothing and give "". The text is asked
// for only when another program wants it, so offering a large selection
// costs nothing.
void SetSelectionText(std::function<QString()> text);
QString GetSelectionText();

} // namespace plat::clipboard
