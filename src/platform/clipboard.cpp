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

// The system's primary selection, through Qt's.
class SystemSelection : public SelectionSeam {
  public:
    void offer(std::function<QString()> text) override
    {
        QClipboard* c = QGuiApplication::clipboard();
        if (!c->supportsSelection()) return;
        c->setMimeData(new LazyText(std::move(text)), QClipboard::Selection);
    }
    void withdraw() override
    {
        if (!QGuiApplication::instance()) return; // the program is ending
        QClipboard* c = QGuiApplication::clipboard();
        if (c->supportsSelection() && c->ownsSelection()) c->clear(QClipboard::Selection);
    }
    QString text() override
    {
        QClipboard* c = QGuiApplication::clipboard();
        if (!c->supportsSelection()) return QString();
        const QMimeData* data = c->mimeData(QClipboard::Selection);
        if (!data || !data->hasText()) return QString();
        return data->text();
    }
};

SystemSelection g_systemSelection;
SelectionSeam* g_selection = &g_systemSelection;
quint64 g_offers = 0;       // offers made so far
quint64 g_currentOffer = 0; // the offer that holds the selection, 0: none

} // namespace

quint64 SetSelectionText(std::function<QString()> text)
{
    g_currentOffer = ++g_offers;
    g_selection->offer(std::move(text));
    return g_currentOffer;
}

void WithdrawSelectionText(quint64 offer)
{
    if (offer == 0 || offer != g_currentOffer) return;
    g_currentOffer = 0;
    g_selection->withdraw();
}

QString GetSelectionText()
{
    return g_selection->text();
}

void setSelectionSeam(SelectionSeam* seam)
{
    g_selection = seam ? seam : &g_systemSelection;
    g_currentOffer = 0;
}

} // namespace plat::clipboard
