#include "platform/msgbox.h"

#include "platform/app.h"
#include "platform/drives.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>

namespace plat {

namespace {

struct B {
    QMessageBox::StandardButton qt;
    int result;
};

QList<B> buttonsOf(int style)
{
    switch (style & 0x7) {
    case vbOKCancel:
        return {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}};
    case vbAbortRetryIgnore:
        return {{QMessageBox::Abort, vbAbort},
                {QMessageBox::Retry, vbRetry},
                {QMessageBox::Ignore, vbIgnore}};
    case vbYesNoCancel:
        return {
            {QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
    case vbYesNo:
        return {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}};
    case vbRetryCancel:
        return {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}};
    default:
        return {{QMessageBox::Ok, vbOK}};
    }
}

// The window a box opens over: the program's active window, the one that
// raised the box. A box centred on the screen, far from where the user is
// working, goes unnoticed and takes the typing meant for the window.
QWidget* raisingWindow()
{
    QWidget* w = QApplication::activeModalWidget();
    if (!w) w = QApplication::activeWindow();
    return w && w->isVisible() ? w->window() : nullptr;
}

class RealMessageBoxes : public MessageBoxSeam {
  public:
    int msgBox(const QString& prompt, int style, const QString& title) override
    {
        // On the heap with its window as parent, so it is centred over that
        // window; should the window go while the box is up, the box goes
        // with it and counts as closed by its title bar.
        QPointer<QMessageBox> owned = makeMessageBox(prompt, style, title, raisingWindow()).release();
        const QList<B> buttons = buttonsOf(style);
        const int clicked = owned->exec();
        delete owned.data();
        for (const B& b : buttons)
            if (b.qt == clicked) return b.result;
        // closed by the title bar: the box's Cancel, else its No, else its only answer
        // (Cancel first: on Yes, No, Cancel, No would let the user's edits go)
        for (int want : {vbCancel, vbNo})
            for (const B& b : buttons)
                if (b.result == want) return b.result;
        return buttons.first().result;
    }

    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override
    {
        const std::unique_ptr<QInputDialog> dialog = makeInputBox(prompt, title, defaultText);
        return dialog->exec() == QDialog::Accepted ? dialog->textValue() : QString();
    }
};

MessageBoxSeam*& current()
{
    static RealMessageBoxes real;
    static MessageBoxSeam* seam = &real;
    return seam;
}

MessageBoxSeam* realSeam()
{
    static RealMessageBoxes real;
    return &real;
}

} // namespace

std::unique_ptr<QMessageBox> makeMessageBox(const QString& prompt, int style, const QString& title,
                                            QWidget* over)
{
    auto made = std::make_unique<QMessageBox>(over);
    QMessageBox& box = *made;
    box.setWindowTitle(title);
    // A prompt holds file names and what the user typed: it is shown as the
    // characters it is, never read as markup (a name like "<a href=...>"
    // would otherwise turn into a live link).
    box.setTextFormat(Qt::PlainText);
    box.setText(prompt);
    switch (style & 0x70) {
    case vbCritical:
        box.setIcon(QMessageBox::Critical);
        break;
    case vbQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case vbExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case vbInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    const QList<B> buttons = buttonsOf(style);
    QMessageBox::StandardButtons set;
    for (const B& b : buttons)
        set |= b.qt;
    box.setStandardButtons(set);
    const int defaultIndex = (style & vbDefaultButton2) && buttons.size() > 1 ? 1 : 0;
    box.setDefaultButton(buttons.at(defaultIndex).qt);
    return made;
}

std::unique_ptr<QInputDialog> makeInputBox(const QString& prompt, const QString& title,
                                           const QString& defaultText)
{
    auto dialog = std::make_unique<QInputDialog>(raisingWindow());
    dialog->setWindowTitle(title);
    dialog->setInputMode(QInputDialog::TextInput);
    dialog->setLabelText(prompt);
    dialog->setTextValue(defaultText);
    // The prompt is text, as in a message box.
    for (QLabel* label : dialog->findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    return dialog;
}

void setMessageBoxSeam(MessageBoxSeam* seam)
{
    current() = seam ? seam : realSeam();
}

int MsgBox(const QString& prompt, int style, const QString& title)
{
    EventNesting nested;
    // A name inside the text shows as it does in the lists.
    return current()->msgBox(drives::displayText(prompt), style, drives::displayText(title));
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    EventNesting nested;
    return current()->inputBox(drives::displayText(prompt), drives::displayText(title),
                               defaultText);
}

} // namespace plat
