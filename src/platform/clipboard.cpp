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

namespace {

// Plain text made only when it is asked for.
class LazyText : public QMimeData {
  public:
    explicit LazyText(std::function<QString()> text) : m_text(std::move(text)) {}
    QStringList formats() const override { return {QStringLiteral("text/plain")}; }
    bool hasFormat(const QString& mime) const override
    {
        return mime == u"text/plain" || mime.startsWith(u"text/plain;");
    }

  protected:
    QVariant retrieveData(const QString& mime, QMetaType type) const override
    {
        if (!hasFormat(mime)) return QVariant();
        const QString text = m_text();
        if (type.id() == QMetaType::QByteArray) return text.toUtf8();
        return text;
    }

  private:
    std::function<QString()> m_text;
};

} // namespace

void SetSelectionText(std::function<QString()> text)
{
    QClipboard* c = QGuiApplication::clipboard();
    if (!c->supportsSelection()) return;
    c->setMimeData(new LazyText(std::move(text)), QClipboard::Selection);
}

QString GetSelectionText()
{
    QClipboard* c = QGuiApplication::clipboard();
    if (!c->supportsSelection()) return QString();
    const QMimeData* data = c->mimeData(QClipboard::Selection);
    if (!data || !data->hasText()) return QString();
    return data->text();
}

} // namespace plat::clipboard
