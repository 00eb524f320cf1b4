#include "platform/msgbox.h"

#include "platform/app.h"
#include "platform/drives.h"
#include "platform/windowframe.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPointer>
#include <QStyle>

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

// A title bar with a close button only where the box has an escape: its
// Cancel, or the only button there is. Windows draws a box without one
// with no close button at all, and the box waits for an answer.
Qt::WindowFlags boxFlags(bool escapable)
{
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (escapable) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    return flags;
}

// The frame's title bar, as wide as a window manager may need for the title
// in bold beside the window's icon and its close button.
int titleWidth(const QWidget* box)
{
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const int bar = box->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, box);
    return QFontMetrics(font).horizontalAdvance(box->windowTitle()) + 4 * bar;
}

// A question waits for its answer: without a Cancel among its buttons (Yes
// and No, Abort, Retry and Ignore) neither Esc nor the frame's close does
// anything. Qt would take the No (or the Abort) for the escape.
class QuestionBox : public QMessageBox {
  public:
    using QMessageBox::QMessageBox;

  protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (e->matches(QKeySequence::Cancel)) {
            if (escapeButton()) escapeButton()->click();
            return;
        }
        QMessageBox::keyPressEvent(e);
    }
    void closeEvent(QCloseEvent* e) override
    {
        e->ignore();
        if (escapeButton()) escapeButton()->click();
    }
    void showEvent(QShowEvent* e) override
    {
        QMessageBox::showEvent(e); // sizes the box to its text
        const int wanted = titleWidth(this);
        if (width() < wanted) {
            // wider about the same centre, over the window that raised it
            const QSize before = size();
            const int high =
                layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(wanted) : height();
            setFixedSize(wanted, high);
            move(pos() - QPoint((wanted - before.width()) / 2, (high - before.height()) / 2));
        }
    }
};

// The window a box opens over: the program's active window, the one that
// raised the box. A box centred on the screen, far from where the user is
// working, goes unnoticed and takes the typing meant for the window.
QWidget* raisingWindow()
{
    // Without the widget application (a test of the file layer alone)
    // there is no window to raise a box over.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
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
        QPointer<QMessageBox> owned =
            makeMessageBox(prompt, style, title, raisingWindow()).release();
        const QList<B> buttons = buttonsOf(style);
        const int clicked = owned->exec();
        delete owned.data();
        for (const B& b : buttons)
            if (b.qt == clicked) return b.result;
        // Taken away with its window, unanswered: the box's Cancel, else its
        // No, else its first answer (Cancel first: on Yes, No, Cancel, No
        // would let the user's edits go).
        for (int want : {vbCancel, vbNo})
            for (const B& b : buttons)
                if (b.result == want) return b.result;
        return buttons.first().result;
    }

    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override
    {
        // Owned as the message box is: by its window, which may take it
        // away unanswered; that counts as its Cancel.
        QPointer<QInputDialog> owned = makeInputBox(prompt, title, defaultText).release();
        const bool accepted = owned->exec() == QDialog::Accepted;
        if (!owned) return QString();
        const QString typed = owned->textValue();
        delete owned.data();
        return accepted ? typed : QString();
    }
};

// Where the keyboard was when a box came up, given back when it closes: the
// window that raised the box is active again, its focus on the control that
// had it. Some window managers hand the keyboard to another window when a
// box closes (openbox passes over tool windows), so it is asked for
// explicitly rather than left to their choice.
class KeyboardReturn {
  public:
    KeyboardReturn() : m_window(raisingWindow())
    {
        if (!m_window) return;
        QWidget* focus = QApplication::focusWidget();
        m_focus = focus && focus->window() == m_window ? focus : m_window->focusWidget();
    }
    KeyboardReturn(const KeyboardReturn&) = delete;
    KeyboardReturn& operator=(const KeyboardReturn&) = delete;
    ~KeyboardReturn()
    {
        // A window that went, or was hidden by what the box's answer did,
        // has nothing to take back.
        if (!m_window || !m_window->isVisible()) return;
        if (m_focus && m_focus->window() == m_window && m_focus->isVisible() &&
            m_focus->isEnabled())
            m_focus->setFocus(Qt::ActiveWindowFocusReason);
        m_window->raise();
        m_window->activateWindow();
    }

  private:
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_focus;
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
    std::unique_ptr<QMessageBox> made = std::make_unique<QuestionBox>(over);
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
    QAbstractButton* escape = box.button(QMessageBox::Cancel);
    if (!escape && buttons.size() == 1) escape = box.button(buttons.first().qt);
    if (escape) box.setEscapeButton(escape);
    box.setWindowFlags(boxFlags(escape != nullptr));
    keepOffMinimizeAndMaximize(&box);
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
    // Its frame as a message box's: Esc and the close are its Cancel.
    dialog->setWindowFlags(boxFlags(true));
    keepOffMinimizeAndMaximize(dialog.get());
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
    const KeyboardReturn giveBack;
    // A name inside the text shows as it does in the lists.
    return current()->msgBox(drives::displayText(prompt), style, drives::displayText(title));
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    EventNesting nested;
    const KeyboardReturn giveBack;
    return current()->inputBox(drives::displayText(prompt), drives::displayText(title),
                               defaultText);
}

} // namespace plat
