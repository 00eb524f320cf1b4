#pragma once
// Windows with the Windows form lifecycle: one instance per window class,
// loaded on first use, its load handler run once per load, unloaded back to
// its design state. Unload is safe inside the window's own handlers: the
// instance is detached at once and deleted later.
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QSize>
#include <functional>

class QAction;

namespace ctl {

// A window's frame as its design gives it, in Windows' names.
enum class BorderStyle {
    None,
    FixedSingle,
    Sizable,
    FixedDialog,
    FixedToolWindow,
    SizableToolWindow
};
// The buttons of its title bar: the control box (the close button with the
// system menu) and the minimise and maximise buttons.
enum TitleButton { NoTitleButtons = 0, CloseButton = 1, MinButton = 2, MaxButton = 4 };
constexpr int AllTitleButtons = CloseButton | MinButton | MaxButton;

class VbForm : public QMainWindow {
    Q_OBJECT
  public:
    explicit VbForm(QWidget* parent = nullptr);
    ~VbForm() override;

    // Shows the window (0: modeless, 1: modal, which returns once the window
    // is hidden, unloaded or closed). A modal window is modal from its first
    // appearance; one already on screen cannot become modal and is waited
    // for as it is. A window whose load handler unloaded it returns
    // quietly. A window that comes on screen takes the focus, unless it is
    // one that never takes it (Qt::WA_ShowWithoutActivating); one already on
    // screen is only raised and leaves the focus where it is.
    void Show(int modal = 0);
    void Hide();
    // Every showing (Show, show(), Visible = True) fits the window to the
    // screen first.
    void setVisible(bool visible) override;
    // Unloads: the window's Form_QueryUnload may cancel; the instance is
    // detached, so the next use loads a fresh one.
    void Unload();
    bool isUnloaded() const { return m_unloaded; }

    // The caption as set, exactly. The title bar shows invisible characters
    // escaped (drives::displayText); a caption that holds a file's name
    // passes the form to show as well (drives::displayName of the name), so
    // that name never looks like another's there.
    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    void setCaption(const QString& caption, const QString& shown);
    // The frame. A window that sets none has Windows' default, a sizable
    // frame with all three buttons in the task bar. A tool window is never in
    // the task bar and has a close button at most; neither it nor a fixed
    // window without a control box shows minimise or maximise, also under a
    // window manager that would draw them. A window without a border has no
    // title bar. Set before the window is first shown.
    void setBorderStyle(BorderStyle style, int buttons = AllTitleButtons, bool inTaskBar = true);
    BorderStyle borderStyle() const { return m_border; }
    int BackColor() const { return m_backColor; }
    void setBackColor(int vbColor);
    void setClientSizeTwips(double width, double height);
    // The client area, where controls are placed in twips.
    QWidget* client() const { return m_client; }

    // Opens a hidden top-level menu as a pop-up at the mouse pointer.
    void PopupMenu(QMenu* menu);

    // Tests replace the modal loop and the pop-up with these hooks.
    static void setModalHook(std::function<void(VbForm*)> hook);
    static void setPopupHook(std::function<void(VbForm*, QMenu*)> hook);

  protected:
    virtual void Form_Load() {}
    // Return true to refuse the unload.
    virtual bool Form_QueryUnload() { return false; }
    virtual void Form_Unload() {}

    // Menus: a top-level menu on the menu bar (hidden ones never go there),
    // and items whose shortcuts belong to this window.
    QMenu* topMenu(const char* name, const QString& caption, bool onMenuBar = true);
    QMenu* subMenu(QMenu* parent, const char* name, const QString& caption);
    QAction* item(QMenu* parent, const char* name, const QString& caption,
                  const QKeySequence& shortcut, std::function<void()> handler);
    QAction* item(QMenu* parent, const char* name, const QString& caption,
                  std::function<void()> handler)
    {
        return item(parent, name, caption, QKeySequence(), std::move(handler));
    }

    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    template <class T> friend class Form;
    virtual void detachInstance() = 0;
    void runLoad();
    static void deleteWhenSafe(VbForm* form);

  private:
    // Sizes the window to `wanted`, shrunk to the screen's available area,
    // and moves it onto that area, its frame included. False when the frame
    // was not known yet and a likely one was counted.
    bool fitOnScreen(QSize wanted);
    QWidget* m_client;
    QString m_caption;
    bool m_fitWhenFramed = false; // fit again once the window manager has framed it
    QSize m_laidOutSize;          // the size before the fit of its last showing
    int m_backColor = 0;
    BorderStyle m_border = BorderStyle::Sizable;
    bool m_minMaxKeptOff = false; // declared a toolbar to the window manager
    bool m_unloaded = false;
    bool m_modalRunning = false;
};

template <class T> class Form : public VbForm {
  public:
    using VbForm::VbForm;
    // The one instance, loaded when first used.
    static T& get()
    {
        if (!s_instance) {
            s_instance = new T();
            static_cast<VbForm*>(s_instance)->runLoad();
            if (!s_instance) {
                // the load handler unloaded the window; hand out the dying
                // instance, whose Show returns quietly
                return *s_last;
            }
        }
        return *s_instance;
    }
    static bool IsLoaded() { return s_instance != nullptr; }
    static T* instanceIfLoaded() { return s_instance; }
    static void UnloadIfLoaded()
    {
        if (s_instance) s_instance->Unload();
    }

  protected:
    void detachInstance() override
    {
        if (s_instance == this) {
            s_last = s_instance;
            s_instance = nullptr;
        }
    }

  private:
    static inline T* s_instance = nullptr;
    static inline QPointer<T> s_last;
};

} // namespace ctl
