#pragma once
// The system clipboard: text and pictures. The copy list keeps its source
// folder here, so anything that writes the clipboard replaces it.
#include <QImage>
#include <QString>
#include <functional>

namespace plat::clipboard {

QString GetText(); // empty when the clipboard holds no text
void SetText(const QString& text);
void Clear();
void SetImage(const QImage& image);
QImage GetImage();

// The primary selection of X11 (what a middle click pastes), where the
// system has one; elsewhere these do nothing and give "". The text is asked
// for only when another program wants it, so offering a large selection
// costs nothing; the one who offers it withdraws it the moment that text
// is no longer what it offered. SetSelectionText returns the offer's
// number; WithdrawSelectionText ends that offer when it is still the
// current one (not a later offer, nor another program's selection).
quint64 SetSelectionText(std::function<QString()> text);
void WithdrawSelectionText(quint64 offer);
QString GetSelectionText();

// Where the primary selection goes: the system's, or a test's stand-in.
class SelectionSeam {
  public:
    virtual ~SelectionSeam() = default;
    virtual void offer(std::function<QString()> text) = 0;
    virtual void withdraw() = 0; // the program's offer, when it still holds the selection
    virtual QString text() = 0;  // what a middle click pastes
};
void setSelectionSeam(SelectionSeam* seam); // nullptr restores the real one

} // namespace plat::clipboard
