#include "platform/printer.h"

#include "platform/fileerror.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace plat {

namespace {

class DefaultPrinter : public PrinterSeam {
  public:
    bool printPage(const PrintedPage& page) override
    {
        if (QPrinterInfo::defaultPrinter().isNull()) return false;
        QPrinter printer(QPrinter::HighResolution);
        return renderPage(printer, page);
    }
};

PrinterSeam* realSeam()
{
    static DefaultPrinter real;
    return &real;
}
PrinterSeam*& current()
{
    static PrinterSeam* seam = realSeam();
    return seam;
}

} // namespace

void setPrinterSeam(PrinterSeam* seam)
{
    current() = seam ? seam : realSeam();
}

bool renderPage(QPagedPaintDevice& device, const PrintedPage& page)
{
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const double sx = device.logicalDpiX() / 1440.0;
    const double sy = device.logicalDpiY() / 1440.0;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const PrintedPicture& p : page) {
        const QRectF target(p.left * sx, p.top * sy, p.width * sx, p.height * sy);
        if (!p.image.isNull() && target.isValid()) painter.drawImage(target, p.image);
    }
    return painter.end();
}

bool printToPdf(const PrintedPage& page, const QString& hostPath)
{
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(hostPath);
    return renderPage(pdf, page);
}

void Printer::PaintPicture(const QImage& image, double left, double top, double width,
                           double height)
{
    m_page.append({image, left, top, width, height});
}

void Printer::EndDoc()
{
    const PrintedPage page = std::move(m_page);
    m_page.clear();
    if (!current()->printPage(page))
        raise(ErrPrinter, QStringLiteral("the page could not be printed"));
}

Printer& printer()
{
    static Printer p;
    return p;
}

} // namespace plat
