#include "platform/msgbox.h"

#include "platform/app.h"
#include "platform/drives.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace plat {

namespace {

class RealMessageBoxes : public MessageBoxSeam {
  public:
    int msgBox(const QString& prompt, int style, const QString& title) override
    {
        QMessageBox box;
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
        const QString text = QInputDialog::getText(QApplication::activeWindow(), title, prompt,
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
