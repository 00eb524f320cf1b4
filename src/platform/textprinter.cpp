#include "platform/textprinter.h"

#include "platform/commondialog.h"
#include "platform/fileerror.h"

#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>

namespace plat {

struct TextPrinter::Impl {
    QPrinter printer{QPrinter::HighResolution};
    QPainter painter;
    QFont font = QGuiApplication::font();
    double y = 0; // top of the next line, in device pixels
    bool begun = false;
    bool ended = false;

    void begin()
    {
        if (begun) return;
        if (!printer.isValid() && printer.outputFormat() == QPrinter::NativeFormat)
            raise(ErrPrinter, QStringLiteral("no printer"));
        if (!painter.begin(&printer)) raise(ErrPrinter, QStringLiteral("the printer cannot print"));
        begun = true;
        painter.setFont(font);
        y = 0;
    }
    void line(const QString& text)
    {
        const QRectF page = printer.pageRect(QPrinter::DevicePixel);
        const QRectF area(0, 0, page.width(), page.height());
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere;
        const QFontMetricsF fm(painter.font(), &printer);
        QRectF need = painter.boundingRect(QRectF(0, 0, area.width(), area.height()), flags,
                                           text.isEmpty() ? QStringLiteral(" ") : text);
        const double h = std::max(need.height(), fm.lineSpacing());
        if (y > 0 && y + h > area.height()) {
            if (!printer.newPage()) raise(ErrPrinter, QStringLiteral("cannot start a new page"));
            y = 0;
        }
        if (!text.isEmpty()) painter.drawText(QRectF(0, y, area.width(), h), flags, text);
        y += h;
    }
};

TextPrinter::TextPrinter() : d(std::make_unique<Impl>()) {}

TextPrinter::TextPrinter(const CommonDialog& choice) : TextPrinter()
{
    if (choice.PrintToFile) {
        d->printer.setOutputFormat(QPrinter::PdfFormat);
        d->printer.setOutputFileName(choice.m_printFile);
    } else if (!choice.PrinterName.isEmpty()) {
        d->printer.setPrinterName(choice.PrinterName);
    }
}

TextPrinter::~TextPrinter()
{
    if (d->begun && !d->ended) KillDoc();
}

void TextPrinter::setFontSize(double points)
{
    d->font.setPointSizeF(points);
    if (d->begun) d->painter.setFont(d->font);
}

void TextPrinter::PrintLine(const QString& text)
{
    d->begin();
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList lines = t.split(u'\n');
    for (const QString& l : lines)
        d->line(l);
}

void TextPrinter::EndDoc()
{
    d->begin();
    d->ended = true;
    if (!d->painter.end()) raise(ErrPrinter, QStringLiteral("the document could not be printed"));
}

void TextPrinter::KillDoc()
{
    if (!d->begun || d->ended) return;
    d->ended = true;
    d->printer.abort();
    d->painter.end();
    // a print to a file leaves no half document behind
    if (d->printer.outputFormat() == QPrinter::PdfFormat && !d->printer.outputFileName().isEmpty())
        QFile::remove(d->printer.outputFileName());
}

} // namespace plat
