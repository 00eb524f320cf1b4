#include "platform/msgbox.h"

#include "platform/app.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>

namespace plat {

namespace {

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
        QPointer<QMessageBox> owned = new QMessageBox(raisingWindow());
        QMessageBox& box = *owned;
        box.setWindowTitle(title);
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
        struct B {
            QMessageBox::StandardButton qt;
            int result;
        };
        QList<B> buttons;
        switch (style & 0x7) {
        case vbOKCancel:
            buttons = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}};
            break;
        case vbAbortRetryIgnore:
            buttons = {{QMessageBox::Abort, vbAbort},
                       {QMessageBox::Retry, vbRetry},
                       {QMessageBox::Ignore, vbIgnore}};
            break;
        case vbYesNoCancel:
            buttons = {{QMessageBox::Yes, vbYes},
                       {QMessageBox::No, vbNo},
                       {QMessageBox::Cancel, vbCancel}};
            break;
        case vbYesNo:
            buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}};
            break;
        case vbRetryCancel:
            buttons = {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}};
            break;
        default:
            buttons = {{QMessageBox::Ok, vbOK}};
            break;
        }
        QMessageBox::StandardButtons set;
        for (const B& b : buttons)
            set |= b.qt;
        box.setStandardButtons(set);
        const int defaultIndex = (style & vbDefaultButton2) && buttons.size() > 1 ? 1 : 0;
        box.setDefaultButton(buttons.at(defaultIndex).qt);
        const int clicked = box.exec();
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
        bool ok = false;
        const QString text = QInputDialog::getText(raisingWindow(), title, prompt,
                                                   QLineEdit::Normal, defaultText, &ok);
        return ok ? text : QString();
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

void setMessageBoxSeam(MessageBoxSeam* seam)
{
    current() = seam ? seam : realSeam();
}

int MsgBox(const QString& prompt, int style, const QString& title)
{
    EventNesting nested;
    return current()->msgBox(prompt, style, title);
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    EventNesting nested;
    return current()->inputBox(prompt, title, defaultText);
}

} // namespace plat
