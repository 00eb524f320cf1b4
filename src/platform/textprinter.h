#pragma once
// The printer as the program prints text on it: one line after another in
// the printer's font, a new page when the next line does not fit, a line
// wider than the page broken onto the next. Tests print to a PDF file.
#include <QString>

#include <memory>

namespace plat {

class TextPrinter {
  public:
    // The printer the user chose in the printer dialog; empty: the default.
    explicit TextPrinter(const QString& printerName = QString());
    // A document that was not ended is discarded.
    ~TextPrinter();
    TextPrinter(const TextPrinter&) = delete;
    TextPrinter& operator=(const TextPrinter&) = delete;

    void setFontSize(double points);
    // Prints text as lines: each CR LF (or LF) inside it starts a new line,
    // so "\r\n" leaves two empty lines. Throws FileError 482 when the
    // printer cannot be used.
    void PrintLine(const QString& text);
    // Sends the document to the printer. Throws FileError 482 on failure.
    void EndDoc();
    // Discards the document begun so far.
    void KillDoc();

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Tests: every document goes to this PDF file instead of a printer. An
// empty path restores the printers.
void setPrintToPdfFile(const QString& pdfPath);

enum { ErrPrinter = 482 };

} // namespace plat
