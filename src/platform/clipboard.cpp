#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace plat::clipboard {

QString GetText()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText()) return QString();
    return data->text();
}

void SetText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

void Clear()
{
    QGuiApplication::clipboard()->clear();
}

void SetImage(const QImage& image)
{
    QGuiApplication::clipboard()->setImage(image);
}

QImage GetImage()
{
    return QGuiApplication::clipboard()->image();
}

} // namespace plat::clipboard
