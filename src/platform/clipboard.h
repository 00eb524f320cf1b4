#pragma once
// The system clipboard: text and pictures. The copy list keeps its source
// folder here, so anything that writes the clipboard replaces it.
#include <QImage>
#include <QString>

namespace plat::clipboard {

QString GetText(); // empty when the clipboard holds no text
void SetText(const QString& text);
void Clear();
void SetImage(const QImage& image);
QImage GetImage();

} // namespace plat::clipboard
