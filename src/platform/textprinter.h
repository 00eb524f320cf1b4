#pragma once
// The printer as the program prints text on it: one line after another in
// the printer's font, a new page when the next line does not fit, a line
// wider than the page broken onto the next. A print-to-file choice of the
// printer dialog writes a PDF file.
#include <QString>

#include <memory>

namespace plat {

class CommonDialog;

class TextPrinter {
  public:
    // The default printer.
    TextPrinter();
    // Where the user chose in the printer dialog: a printer, or the PDF file
    // of a print-to-file choice.
    explicit TextPrinter(const CommonDialog& choice);
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

enum { ErrPrinter = 482 };

} // namespace plat
