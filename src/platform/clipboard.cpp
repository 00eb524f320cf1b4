#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace plat::clipboard {

namespace {
// The text the program last put on the clipboard, and that text as a
// clipboard that carries UTF-8 gives it back. The copy list's source folder travels here: a
// name that only its bytes spell must come back exactly as it was put, not
// as the desktop's clipboard round trip may spell it.
QString g_put;
QString g_readBack;
bool g_holding = false;
} // namespace

QString GetText()
{
    QClipboard* cb = QGuiApplication::clipboard();
    const QMimeData* data = cb->mimeData();
    if (!data || !data->hasText()) return QString();
    const QString text = data->text();
    if (g_holding && (text == g_put || text == g_readBack)) return g_put;
    return text;
}

void SetText(const QString& text)
{
    QClipboard* cb = QGuiApplication::clipboard();
    cb->setText(text);
    g_put = text;
    // What a desktop clipboard that carries UTF-8 hands back for it.
    g_readBack = QString::fromUtf8(text.toUtf8());
    g_holding = true;
}

void Clear()
{
    g_holding = false;
    QGuiApplication::clipboard()->clear();
}

void SetImage(const QImage& image)
{
    g_holding = false;
    QGuiApplication::clipboard()->setImage(image);
}

QImage GetImage()
{
    return QGuiApplication::clipboard()->image();
}

} // namespace plat::clipboard
