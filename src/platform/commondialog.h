#pragma once
// The common dialog control: open, save, colour and printer dialogs, with
// the Windows control's properties. The dialogs themselves go through a seam that
// tests script.
#include <QString>

#include <functional>

class QFileDialog;
class QPrintDialog;

namespace plat {

// Flags the program uses
enum CdlFlags {
    cdlCCRGBInit = 0x1,
    cdlOFNReadOnly = 0x1,
    cdlOFNOverwritePrompt = 0x2,
    cdlOFNHideReadOnly = 0x4,
    cdlOFNPathMustExist = 0x800,
    cdlOFNFileMustExist = 0x1000,
    // printer dialog
    cdlPDNoSelection = 0x4,
    cdlPDHidePrintToFile = 0x100000,
};

class CommonDialog;

class DialogSeam {
  public:
    virtual ~DialogSeam() = default;
    // Each returns false when the user cancels; on OK it sets the dialog's
    // Color or FileName (a Windows path). The file dialogs hand the host
    // path the user chose to CommonDialog::takeHostChoice and return its
    // result.
    virtual bool showColor(CommonDialog& dlg) = 0;
    virtual bool showOpen(CommonDialog& dlg) = 0;
    virtual bool showSave(CommonDialog& dlg) = 0;
    virtual bool showPrinter(CommonDialog& dlg) = 0;
};
void setDialogSeam(DialogSeam* seam); // nullptr restores the real dialogs

// Tests: runs in place of the real printer dialog's exec, with the dialog as
// the program set it up and the printer it fills in; returns true for Print.
// An empty hook restores the exec.
void setPrintDialogHook(std::function<bool(QPrintDialog&)> hook);
// Tests: runs in place of the real Open or Save dialog's exec, with the
// dialog as the program set it up; returns the host file chosen (empty:
// cancel).
void setFileDialogHook(std::function<QString(QFileDialog&)> hook);
// Sets up the real Open or Save dialog: the side bar lists the drives by
// letter, each its host folder; it opens on FileName, else InitDir, else the
// current folder.
void prepareFileDialog(QFileDialog& fd, const CommonDialog& dlg, bool save);

class CommonDialog {
  public:
    QString Filter; // "Text (*.txt)|*.txt|All (*.*)|*.*"
    int FilterIndex = 1;
    QString FileName;  // Windows path
    QString FileTitle; // name part of FileName after a dialog
    QString DialogTitle;
    QString InitDir;
    QString DefaultExt;
    int Flags = 0;
    int Color = 0; // red in the low byte
    bool CancelError = false;
    int Copies = 1;
    QString PrinterName; // the printer chosen in the printer dialog
    // True when the user chose to print to a PDF file instead of a printer;
    // TextPrinter(dialog) then writes that file.
    bool PrintToFile = false;

  private:
    friend class TextPrinter;
    friend class RealDialogs;
    // The host path of the print-to-file choice: chosen in the desktop's
    // dialog, anywhere on the host, and read by the printer alone.
    QString m_printFile;

  public:
    // Throw FileError(32755) on cancel when CancelError is set; otherwise a
    // cancel just returns (FileName unchanged for open/save).
    void ShowColor();
    void ShowOpen();
    void ShowSave();
    void ShowPrinter();

    // "Desc|pat;pat|Desc2|pat" as Qt's "Desc (pat pat);;Desc2 (pat)".
    static QString qtFilter(const QString& filter);

    // For the file dialogs behind the seam: takes the file the user chose
    // on the host as FileName. False when no drive holds it: FileName keeps
    // what it held, and the show raises ErrDeviceUnavailable with the host
    // folder as detail (when CancelError is set), so the caller can tell
    // the user instead of taking it for a cancel.
    bool takeHostChoice(const QString& hostPath);

  private:
    // Shows one kind of dialog through the seam, events running inside.
    void show(bool (DialogSeam::*kind)(CommonDialog&));
    void finish(bool ok);
    QString m_offDrives; // the host folder of a choice on no drive
};

} // namespace plat
