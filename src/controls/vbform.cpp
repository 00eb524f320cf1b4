#include "controls/vbform.h"

#include "controls/controls.h"
#include "controls/handlers.h"
#include "platform/app.h"
#include "platform/colors.h"
#include "platform/drives.h"
#include "platform/windowframe.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>
#include <QTextEdit>
#include <QWindow>

namespace ctl {

namespace {

std::function<void(VbForm*)>& modalHook()
{
    static std::function<void(VbForm*)> h;
    return h;
}
std::function<void(VbForm*, QMenu*)>& popupHook()
{
    static std::function<void(VbForm*, QMenu*)> h;
    return h;
}

// Text fields claim Ctrl+C, Ctrl+A and the like before any window shortcut.
// Menu shortcuts win over a focused field, as on Windows: where a key is a
// shortcut of a visible, enabled menu item of the field's window, the field
// is not asked, and the shortcut runs the item.
class WindowShortcutFilter : public QObject {
  public:
    bool eventFilter(QObject* obj, QEvent* ev) override
    {
        if (ev->type() != QEvent::ShortcutOverride) return false;
        if (!qobject_cast<QLineEdit*>(obj) && !qobject_cast<QPlainTextEdit*>(obj) &&
            !qobject_cast<QTextEdit*>(obj))
            return false;
        auto* w = static_cast<QWidget*>(obj);
        auto* form = qobject_cast<VbForm*>(w->window());
        if (!form) return false;
        auto* ke = static_cast<QKeyEvent*>(ev);
        const QKeySequence seq(ke->keyCombination());
        const QList<QAction*> actions = form->findChildren<QAction*>();
        for (QAction* a : actions) {
            if (!a->shortcut().isEmpty() && a->shortcut() == seq && a->isEnabled() &&
                a->isVisible()) {
                ev->ignore();
                return true; // the field never claims it; the shortcut map runs the item
            }
        }
        return false;
    }
};

void installShortcutFilter()
{
    static WindowShortcutFilter* filter = nullptr;
    if (!filter && qApp) {
        filter = new WindowShortcutFilter;
        qApp->installEventFilter(filter);
    }
}

} // namespace

namespace {

// Windows unloaded while events ran inside a handler: the handlers further
// down may still use them, so they wait until every such stretch has ended.
QList<QPointer<VbForm>>& graveyard()
{
    static QList<QPointer<VbForm>> forms;
    return forms;
}

// Runs when the outermost stretch ends: the handler that let events run is
// back in control, called from the main loop, so a deferred delete now
// happens only once that handler has returned there.
void sweepGraveyard()
{
    const QList<QPointer<VbForm>> forms = std::exchange(graveyard(), {});
    for (const QPointer<VbForm>& f : forms)
        if (f) f->deleteLater();
}

} // namespace

void VbForm::deleteWhenSafe(VbForm* form)
{
    if (plat::EventNesting::depth() == 0) {
        // From a handler the main loop called: deleted when it returns there.
        form->deleteLater();
        return;
    }
    plat::EventNesting::setOutermostEndHook(sweepGraveyard);
    graveyard().append(form);
}

VbForm::VbForm(QWidget* parent) : QMainWindow(parent), m_client(new QWidget(this))
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_client->setObjectName("client");
    setCentralWidget(m_client);
    installShortcutFilter();
    useProgramLook();
}

VbForm::~VbForm() = default;

void VbForm::setModalHook(std::function<void(VbForm*)> hook)
{
    modalHook() = std::move(hook);
}
void VbForm::setPopupHook(std::function<void(VbForm*, QMenu*)> hook)
{
    popupHook() = std::move(hook);
}

void VbForm::runLoad()
{
    Form_Load();
}

void VbForm::Show(int modal)
{
    if (m_unloaded) return;
    const bool modalLoop = modal == 1 && !modalHook() && !m_modalRunning;
    if (isVisible()) {
        // Already on screen: brought to the front, the focus stays where the
        // user has put it (the wait bar is shown again before every file).
        raise();
    } else {
        // Modal from its first showing: a window manager that frames the
        // window as it maps it never sees it unmapped and mapped again.
        if (modalLoop) setWindowModality(Qt::ApplicationModal);
        show();
        raise();
        if (!testAttribute(Qt::WA_ShowWithoutActivating) &&
            !(windowFlags() & Qt::WindowDoesNotAcceptFocus))
            activateWindow();
    }
    if (modal != 1) return;
    if (modalHook()) {
        modalHook()(this);
        return;
    }
    if (!modalLoop) return;
    m_modalRunning = true;
    QPointer<VbForm> self(this);
    QEventLoop loop;
    plat::EventNesting nested;
    while (self && !self->m_unloaded && self->isVisible())
        loop.processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
    if (self) {
        self->m_modalRunning = false;
        // Hidden now, so the next showing may be modeless.
        self->setWindowModality(Qt::NonModal);
    }
}

void VbForm::setVisible(bool visible)
{
    // However a window comes on screen (Show, Visible = True), it comes
    // within the screen.
    if (visible && !isVisible()) {
        create(); // where the platform knows the frame already, the fit counts it
        windowHandle()->installEventFilter(this);
        if (m_minMaxKeptOff) plat::keepOffMinimizeAndMaximize(this);
        m_laidOutSize = size();
        m_fitWhenFramed = !fitOnScreen(m_laidOutSize);
    }
    QMainWindow::setVisible(visible);
}

bool VbForm::fitOnScreen(QSize wanted)
{
    QScreen* screen = QGuiApplication::screenAt(frameGeometry().center());
    if (!screen) screen = this->screen();
    if (!screen) return true;
    const QRect area = screen->availableGeometry();
    QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const bool frameKnown = !frame.isNull() || (windowFlags() & Qt::FramelessWindowHint);
    if (!frameKnown) {
        // Not framed yet: room for a title bar and a thin border, so that a
        // window manager is never asked for a window the size of the whole
        // screen (which some take for a full-screen window without a frame).
        const int border = 4;
        frame = QMargins(border, border + style()->pixelMetric(QStyle::PM_TitleBarHeight), border,
                         border);
    }
    const int frameWidth = frame.left() + frame.right();
    const int frameHeight = frame.top() + frame.bottom();
    const QSize fitted(qMin(wanted.width(), area.width() - frameWidth),
                       qMin(wanted.height(), area.height() - frameHeight));
    if (fitted != size()) {
        // A window of fixed size stays fixed, at the size that fits.
        if (minimumSize() == maximumSize())
            setFixedSize(fitted);
        else
            setMinimumSize(minimumSize().boundedTo(fitted));
        resize(fitted);
    }
    // pos() is the frame's corner: the frame is kept on the screen too.
    const QSize outer(width() + frameWidth, height() + frameHeight);
    QPoint corner = pos();
    corner.setX(qBound(area.left(), corner.x(), area.left() + area.width() - outer.width()));
    corner.setY(qBound(area.top(), corner.y(), area.top() + area.height() - outer.height()));
    if (corner != pos()) move(corner);
    return frameKnown;
}

bool VbForm::eventFilter(QObject* watched, QEvent* event)
{
    // The frame's size is known only once the window manager has framed the
    // window, and where it put the frame only with the move that follows; a
    // window that fitted with a guessed frame may still reach past the
    // screen, so it is fitted again as it first appears framed, until that
    // move has come.
    if (watched == windowHandle() && m_fitWhenFramed &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize) && isVisible() &&
        !windowHandle()->frameMargins().isNull()) {
        const bool moved = event->type() == QEvent::Move;
        // After the window's own handling, so its place is the one just taken.
        const bool handled = QMainWindow::eventFilter(watched, event);
        // From the size as laid out: the guessed frame may have taken more.
        QMetaObject::invokeMethod(
            this, [this] { fitOnScreen(m_laidOutSize); }, Qt::QueuedConnection);
        if (moved) m_fitWhenFramed = false;
        return handled;
    }
    return QMainWindow::eventFilter(watched, event);
}

void VbForm::Hide()
{
    hide();
}

void VbForm::Unload()
{
    if (m_unloaded) return;
    if (Form_QueryUnload()) return;
    Form_Unload();
    m_unloaded = true;
    detachInstance();
    hide();
    deleteWhenSafe(this);
}

void VbForm::closeEvent(QCloseEvent* event)
{
    // Closing by the title bar unloads, as Windows windows do.
    event->ignore();
    plat::runCommand([this] { Unload(); });
}

void VbForm::setBorderStyle(BorderStyle style, int buttons, bool inTaskBar)
{
    m_border = style;
    const bool tool =
        style == BorderStyle::FixedToolWindow || style == BorderStyle::SizableToolWindow;
    // A window manager that draws minimise and maximise whatever the flags
    // say is kept from it on a tool window and on a fixed window without a
    // control box (the search window). A sizable window without one is the
    // main window, which keeps the normal kind: the task bar and the window
    // manager's focus order take it for the program.
    const bool fixed = style == BorderStyle::FixedSingle || style == BorderStyle::FixedDialog;
    m_minMaxKeptOff = tool || (fixed && buttons == NoTitleButtons);
    Qt::WindowFlags flags = tool || !inTaskBar                  ? Qt::Tool
                            : style == BorderStyle::FixedDialog ? Qt::Dialog
                                                                : Qt::Window;
    if (style == BorderStyle::None) {
        setWindowFlags(flags | Qt::FramelessWindowHint);
        return;
    }
    // Only the buttons asked for: without the customize hint Qt adds all.
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (buttons & CloseButton) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if ((buttons & MinButton) && !tool) flags |= Qt::WindowMinimizeButtonHint;
    if ((buttons & MaxButton) && !tool) flags |= Qt::WindowMaximizeButtonHint;
    setWindowFlags(flags);
}

void VbForm::setCaption(const QString& caption)
{
    setCaption(caption, plat::drives::displayText(caption));
}

void VbForm::setCaption(const QString& caption, const QString& shown)
{
    m_caption = caption;
    setWindowTitle(shown);
}

void VbForm::setBackColor(int vbColor)
{
    m_backColor = vbColor;
    QPalette pal = m_client->palette();
    pal.setColor(QPalette::Window, plat::toQColor(vbColor));
    m_client->setPalette(pal);
    m_client->setAutoFillBackground(true);
}

void VbForm::setClientSizeTwips(double width, double height)
{
    const int menuHeight = menuBar()->isVisibleTo(this) || !menuBar()->actions().isEmpty()
                               ? menuBar()->sizeHint().height()
                               : 0;
    resize(plat::px(width), plat::px(height) + menuHeight);
}

void VbForm::PopupMenu(QMenu* menu)
{
    if (popupHook()) {
        popupHook()(this, menu);
        return;
    }
    menu->popup(QCursor::pos());
}

QMenu* VbForm::topMenu(const char* name, const QString& caption, bool onMenuBar)
{
    auto* m = new QMenu(caption, this);
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name) + "_action");
    if (onMenuBar) menuBar()->addMenu(m);
    return m;
}

QMenu* VbForm::subMenu(QMenu* parent, const char* name, const QString& caption)
{
    QMenu* m = parent->addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    return m;
}

QAction* VbForm::item(QMenu* parent, const char* name, const QString& caption,
                      const QKeySequence& shortcut, std::function<void()> handler)
{
    QAction* a = parent->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty()) {
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a); // the shortcut works while this window is active
    }
    if (handler) onSignal(a, &QAction::triggered, this, [h = std::move(handler)]() { h(); });
    return a;
}

} // namespace ctl
