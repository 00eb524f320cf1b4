#pragma once
// Message boxes and input boxes. Every prompt of the program goes through
// this seam, so a test answers it instead of a person.
#include <QString>

#include <memory>

class QInputDialog;
class QMessageBox;
class QWidget;

namespace plat {

enum MsgBoxStyle {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton2 = 256, // the second button is the default
};

enum MsgBoxResult {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7
};

inline const QString kAppTitle = QStringLiteral("Quorbix");

class MessageBoxSeam {
  public:
    virtual ~MessageBoxSeam() = default;
    virtual int msgBox(const QString& prompt, int style, const QString& title) = 0;
    // Returns the typed text; a null QString when cancelled.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText) = 0;
};

// nullptr restores the real boxes.
void setMessageBoxSeam(MessageBoxSeam* seam);

int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = kAppTitle);
QString InputBox(const QString& prompt, const QString& title = kAppTitle,
                 const QString& defaultText = QString());

// The real boxes as they are shown, before they are shown, so a test can
// look at them without one coming up. Prompts are plain text: a file name
// or a typed text is shown as its characters, never as markup.
// A message box opens over the window given (none: the screen's centre).
std::unique_ptr<QMessageBox> makeMessageBox(const QString& prompt, int style, const QString& title,
                                            QWidget* over = nullptr);
std::unique_ptr<QInputDialog> makeInputBox(const QString& prompt, const QString& title,
                                           const QString& defaultText);

} // namespace plat
