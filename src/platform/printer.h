#pragma once
// The default printer as the windows use it: a page in twips on which
// pictures are drawn, sent to the printer when the document ends. Where the
// page goes is a seam: the real one prints on the desktop's default printer,
// tests write PDF files.
#include <QImage>
#include <QList>
#include <QString>

class QPagedPaintDevice;

namespace plat {

enum PrinterErrorNumber { ErrPrinter = 482 };

// One picture on the page; position and size in twips from the top left
// corner of the printable area.
struct PrintedPicture {
    QImage image;
    double left = 0, top = 0, width = 0, height = 0;
};
using PrintedPage = QList<PrintedPicture>;

class PrinterSeam {
  public:
    virtual ~PrinterSeam() = default;
    // Sends one finished page; returns false when it cannot be printed.
    virtual bool printPage(const PrintedPage& page) = 0;
};
void setPrinterSeam(PrinterSeam* seam); // nullptr restores the default printer

// Draws a page on a paint device (a printer or a PDF writer).
bool renderPage(QPagedPaintDevice& device, const PrintedPage& page);
// Writes a page as a one-page PDF file (the tests' printer).
bool printToPdf(const PrintedPage& page, const QString& hostPath);

class Printer {
  public:
    void PaintPicture(const QImage& image, double left, double top, double width, double height);
    // Sends the page, also an empty one. Throws FileError 482 when there is
    // no printer or it refuses the page; the page is dropped either way.
    void EndDoc();

  private:
    PrintedPage m_page;
};

// The one default printer of the program.
Printer& printer();

} // namespace plat
