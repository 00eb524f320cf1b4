// How the windows behave on a desktop: modal showing, who takes the focus,
// fitting the screen, captions that fit their controls at the program's
// font, focus marks and where message boxes open.
#include "testsupport.h"

#include "controls/controls.h"
#include "controls/filecontrols.h"
#include "controls/vbform.h"
#include "editor/frmfind.h"
#include "editor/textpad.h"
#include "editor/web1.h"
#include "fileops/foldmaker.h"
#include "fileops/form2.h"
#include "fileops/form5.h"
#include "fileops/form6.h"
#include "fileops/form7.h"
#include "fileops/form8.h"
#include "fileops/namer.h"
#include "fileops/namer2.h"
#include "fileops/standby.h"
#include "filesearch/dig.h"
#include "filesearch/form3.h"
#include "mainwindow/color1.h"
#include "mainwindow/form1.h"
#include "mainwindow/help1.h"
#include "mainwindow/splash.h"
#include "pictureview/realview.h"
#include "pictureview/saveas.h"
#include "platform/msgbox.h"
#include "platform/windowframe.h"
#include "standalone/aviplay.h"
#include "standalone/playavi.h"
#include "standalone/rowtate.h"
#include "standalone/scroll.h"
#include "standalone/spin.h"
#include "standalone/spnscrol.h"
#include "standalone/zipview.h"
#include "weblinks/alink.h"
#include "weblinks/anet.h"
#include "weblinks/aseek.h"
#include "weblinks/chlink.h"
#include "weblinks/delink.h"
#include "weblinks/favlink.h"
#include "weblinks/favnet.h"
#include "weblinks/favseek.h"
#include "weblinks/inet.h"
#include "weblinks/iseek.h"
#include "weblinks/istart.h"
#include "weblinks/newsnet.h"
#include "weblinks/newsseek.h"
#include "weblinks/rlink.h"
#include "weblinks/slink.h"
#include "weblinks/weathernet.h"
#include "weblinks/weatherseek.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// A plain window of the controls layer, for what every window does.
class Probe : public ctl::Form<Probe> {
  public:
    Probe() { setObjectName("Probe"); }
};

// Lets the window system's events (activation, showing) arrive.
void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// Counts the window's showings and hidings, and the modality each showing
// met.
class ShowRecorder : public QObject {
  public:
    explicit ShowRecorder(QWidget* w) { w->installEventFilter(this); }
    int shows = 0, hides = 0;
    QList<Qt::WindowModality> modalityAtShow;
    bool eventFilter(QObject* obj, QEvent* e) override
    {
        if (e->type() == QEvent::Show) {
            ++shows;
            modalityAtShow.append(static_cast<QWidget*>(obj)->windowModality());
        } else if (e->type() == QEvent::Hide) {
            ++hides;
        }
        return false;
    }
};

// What is drawn of a string: leading blanks move it, trailing blanks are
// not seen, and "&" marks a mnemonic where the control has them.
struct Ink {
    int offset = 0; // advance of the leading blanks
    int width = 0;  // the rest, up to its last visible character
};

Ink inkOf(const QFontMetrics& fm, const QString& line)
{
    qsizetype first = 0;
    while (first < line.size() && line.at(first) == ' ')
        ++first;
    qsizetype end = line.size();
    while (end > first && line.at(end - 1) == ' ')
        --end;
    return {fm.horizontalAdvance(line.left(first)),
            fm.horizontalAdvance(line.mid(first, end - first))};
}

QString withoutMnemonics(QString s)
{
    s.replace("&&", QChar(0xE000));
    s.remove('&');
    s.replace(QChar(0xE000), '&');
    return s;
}

QString describe(const QWidget* w)
{
    return QStringLiteral("%1.%2").arg(w->window()->objectName(), w->objectName());
}

QString rectText(const QRect& r)
{
    return QStringLiteral(" (%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Windowed controls above which a label's text can never show.
bool coversLabels(const QWidget* w)
{
    return !qobject_cast<const QLabel*>(w) && w->isVisible() && !w->isWindow();
}

struct WindowMaker {
    const char* name;
    std::function<ctl::VbForm*()> make;
};

template <class T> WindowMaker maker(const char* name)
{
    return {name, [] { return static_cast<ctl::VbForm*>(new T()); }};
}

const QList<WindowMaker>& everyWindow()
{
    static const QList<WindowMaker> windows = {
        maker<Form1>("Form1"),
        maker<Splash>("Splash"),
        maker<Help1>("Help1"),
        maker<Color1>("Color1"),
        maker<Form2>("Form2"),
        maker<Form5>("Form5"),
        maker<Form6>("Form6"),
        maker<Form7>("Form7"),
        maker<Form8>("Form8"),
        maker<FoldMaker>("FoldMaker"),
        maker<Namer>("Namer"),
        maker<Namer2>("Namer2"),
        maker<Standby>("Standby"),
        maker<Textpad>("Textpad"),
        maker<frmFind>("frmFind"),
        maker<Web1>("Web1"),
        maker<RealView>("RealView"),
        maker<Saveas>("Saveas"),
        maker<Dig>("Dig"),
        maker<Form3>("Form3"),
        maker<ISeek>("ISeek"),
        maker<Inet>("Inet"),
        maker<ASeek>("ASeek"),
        maker<ANet>("ANet"),
        maker<FavSeek>("FavSeek"),
        maker<FavNet>("FavNet"),
        maker<NewsSeek>("NewsSeek"),
        maker<NewsNet>("NewsNet"),
        maker<WeatherSeek>("WeatherSeek"),
        maker<WeatherNet>("WeatherNet"),
        maker<ALink>("ALink"),
        maker<ChLink>("ChLink"),
        maker<FavLink>("FavLink"),
        maker<RLink>("RLink"),
        maker<SLink>("SLink"),
        maker<DeLink>("DeLink"),
        maker<IStart>("IStart"),
        maker<ZipView>("ZipView"),
        maker<Scroll>("Scroll"),
        maker<SpnScrol>("SpnScrol"),
        maker<Spin>("Spin"),
        maker<Rowtate>("Rowtate"),
        maker<PlayAvi>("PlayAvi"),
        maker<AviPlay>("AviPlay"),
    };
    return windows;
}

// A window's frame as its design gives it: a title bar or none, the
// buttons on it, and whether it has a task-bar entry.
struct Frame {
    bool titleBar = true;
    int buttons = ctl::AllTitleButtons;
    bool taskBar = true;
};
const Frame kSizable;                                    // Windows' default
const Frame kCloseOnly{true, ctl::CloseButton, true};    // fixed single, fixed dialog
const Frame kToolWindow{true, ctl::CloseButton, false};  // fixed tool window
const Frame kNoBorder{false, ctl::NoTitleButtons, true}; // no border
const Frame kNoBorderOffBar{false, ctl::NoTitleButtons, false};

// Each window's frame as its design says; a window whose design says
// nothing of it has the default frame.
Frame designedFrame(const QString& window)
{
    static const QHash<QString, Frame> frames = {
        {"Form1", {true, ctl::NoTitleButtons, true}}, // no control box
        {"Splash", kNoBorderOffBar},                  // no control box, no caption
        {"Help1", kNoBorderOffBar},
        {"Standby", kNoBorderOffBar},
        {"FoldMaker", kToolWindow},
        {"Namer", kToolWindow},
        {"Textpad", kCloseOnly},
        {"frmFind", kCloseOnly},
        {"Web1", kCloseOnly},
        {"RealView", kCloseOnly},
        {"Saveas", kToolWindow},
        {"Dig", {true, ctl::NoTitleButtons, true}}, // no control box
        {"ASeek", kToolWindow},
        {"NewsSeek", kToolWindow},
        {"WeatherSeek", kToolWindow},
        {"ALink", kToolWindow},
        {"ChLink", kToolWindow},
        {"SLink", kToolWindow},
        {"DeLink", kToolWindow},
        {"Spin", kNoBorder},
        {"SpnScrol", kNoBorder},
        {"PlayAvi", kCloseOnly},
    };
    return frames.value(window, kSizable);
}

// The frame the window's flags ask of a window manager.
Frame frameOf(const QWidget* w)
{
    const Qt::WindowFlags flags = w->windowFlags();
    Frame f;
    f.titleBar = !(flags & Qt::FramelessWindowHint);
    f.taskBar = w->windowType() != Qt::Tool;
    f.buttons = 0;
    if (!f.titleBar) return f;
    if (!(flags & Qt::CustomizeWindowHint)) {
        f.buttons = ctl::AllTitleButtons; // Qt then adds every button
        return f;
    }
    if (flags & Qt::WindowCloseButtonHint) f.buttons |= ctl::CloseButton;
    if (flags & Qt::WindowMinimizeButtonHint) f.buttons |= ctl::MinButton;
    if (flags & Qt::WindowMaximizeButtonHint) f.buttons |= ctl::MaxButton;
    return f;
}

// The texts of controls in one window that do not fit, each with why.
QStringList captionsThatDoNotFit(QWidget* window)
{
    QStringList faults;
    const QList<QWidget*> controls = window->findChildren<QWidget*>();
    for (QWidget* w : controls) {
        if (!w->isVisible()) continue; // hidden as laid out: never seen
        const QFontMetrics fm(w->font());
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->text().isEmpty() || label->wordWrap()) continue;
            const QStringList lines = label->text().split(QRegularExpression("\r\n|\n|\r"));
            const int count = int(lines.size());
            int width = 0;
            for (const QString& line : lines) {
                const Ink ink = inkOf(fm, line);
                width = qMax(width, ink.offset + ink.width);
            }
            const QRect inside = label->contentsRect();
            const QSize block(width, fm.height() + (count - 1) * fm.lineSpacing());
            const QRect text =
                QStyle::alignedRect(label->layoutDirection(), label->alignment(), block, inside);
            if (text.width() > inside.width() || text.height() > inside.height())
                faults << describe(w) + " \"" + label->text() + "\" is larger than its label";
            // The glyphs themselves, as drawn from the text's top line.
            QRect ink;
            for (int i = 0; i < count; ++i) {
                const QString line = lines.at(i);
                const QString glyphs = line.trimmed();
                if (glyphs.isEmpty()) continue;
                ink |= fm.tightBoundingRect(glyphs).translated(text.left() + inkOf(fm, line).offset,
                                                               text.top() + fm.ascent() +
                                                                   i * fm.lineSpacing());
            }
            ink = ink.intersected(inside).translated(label->pos());
            // What a windowed control over the label hides of it.
            for (QWidget* sibling :
                 label->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (sibling == label || !coversLabels(sibling)) continue;
                if (sibling->geometry().intersects(ink))
                    faults << describe(w) + " \"" + label->text() + "\" is partly under " +
                                  describe(sibling) + rectText(sibling->geometry()) + rectText(ink);
            }
            if (!label->parentWidget()->rect().contains(ink))
                faults << describe(w) + " \"" + label->text() + "\" runs past its container" +
                              rectText(ink);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            const QString caption = withoutMnemonics(button->text());
            if (caption.trimmed().isEmpty()) continue;
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = caption;
            QStyle::SubElement contents = QStyle::SE_PushButtonContents;
            if (qobject_cast<QCheckBox*>(w)) contents = QStyle::SE_CheckBoxContents;
            if (qobject_cast<QRadioButton*>(w)) contents = QStyle::SE_RadioButtonContents;
            const QRect room = button->style()->subElementRect(contents, &option, button);
            const Ink ink = inkOf(fm, caption);
            if (ink.offset + ink.width > room.width() || fm.height() > room.height())
                faults << describe(w) + " \"" + button->text() +
                              QStringLiteral("\" needs %1x%2, has %3x%4")
                                  .arg(ink.offset + ink.width)
                                  .arg(fm.height())
                                  .arg(room.width())
                                  .arg(room.height());
        } else if (auto* field = qobject_cast<QLineEdit*>(w)) {
            QStyleOptionFrame option;
            option.initFrom(field);
            option.rect = field->rect();
            option.lineWidth =
                field->hasFrame()
                    ? field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, field)
                    : 0;
            const QRect room =
                field->style()->subElementRect(QStyle::SE_LineEditContents, &option, field);
            // A text field keeps a pixel free above and below its line.
            if (fm.height() > room.height() - 2)
                faults << describe(w) + QStringLiteral(" shows %1 of its line's %2 pixels")
                                            .arg(room.height() - 2)
                                            .arg(fm.height());
        }
    }
    return faults;
}

} // namespace

// A window of the walk, made and shown with every seam it may reach
// recorded, so that no window's load opens a box, a program or a dialog.
struct ShownWindow {
    explicit ShownWindow(int index) : window(everyWindow().at(index).make())
    {
        window->show();
        settle();
    }
    testsupport::RecordingMessageBoxes boxes;
    testsupport::RecordingProcesses processes;
    testsupport::RecordingShellOpen shell;
    testsupport::ScriptedDialogs dialogs;
    std::unique_ptr<ctl::VbForm> window;
};

class TestWindows : public QObject {
    Q_OBJECT
    testsupport::TempDrives* m_drives = nullptr;

  private slots:
    void initTestCase()
    {
        testsupport::isolateEnvironment();
        m_drives = new testsupport::TempDrives(2);
    }
    void cleanupTestCase() { delete m_drives; }
    void cleanup()
    {
        ctl::VbForm::setModalHook(nullptr);
        Probe::UnloadIfLoaded();
        Standby::UnloadIfLoaded();
        Form1::UnloadIfLoaded();
        settle();
    }

    // A modal showing is modal from the window's first appearance and never
    // hides and shows it again; the caller waits until the window is
    // hidden, unloaded or closed by its close box.
    void modalShowWaitsUntilTheWindowGoes_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("hidden") << "hide";
        QTest::newRow("unloaded") << "unload";
        QTest::newRow("close box") << "close";
    }
    void modalShowWaitsUntilTheWindowGoes()
    {
        QFETCH(QString, ending);
        Probe& probe = Probe::get();
        QPointer<Probe> alive(&probe);
        ShowRecorder record(&probe);
        bool ranInside = false;
        bool visibleInside = false, modalInside = false;
        int hidesInside = -1;
        // Runs from the window's own wait, once it is up.
        QTimer::singleShot(0, &probe, [&] {
            ranInside = true;
            visibleInside = probe.isVisible();
            modalInside = QApplication::activeModalWidget() == &probe;
            hidesInside = record.hides;
            if (ending == "hide")
                probe.Hide();
            else if (ending == "unload")
                probe.Unload();
            else
                probe.close();
        });
        probe.Show(1);
        QVERIFY(ranInside);
        QVERIFY(visibleInside);
        QVERIFY(modalInside);
        QCOMPARE(hidesInside, 0);
        QCOMPARE(record.shows, 1);
        QCOMPARE(record.modalityAtShow, QList<Qt::WindowModality>{Qt::ApplicationModal});
        if (ending == "hide") {
            QVERIFY(alive);
            // Hidden, it shows modeless the next time.
            QCOMPARE(probe.windowModality(), Qt::NonModal);
            probe.Show();
            QVERIFY(probe.isVisible());
            QCOMPARE(QApplication::activeModalWidget(), nullptr);
        } else {
            QVERIFY(!Probe::IsLoaded());
        }
    }

    // A window made visible again leaves the focus where it is; the wait bar
    // never takes it, however often a paste shows it.
    void onlyShowingTakesNoFocus()
    {
        Form1& main = Form1::get();
        main.Show();
        settle();
        QCOMPARE(QApplication::activeWindow(), &main);

        Probe& probe = Probe::get();
        probe.Show();
        settle();
        QCOMPARE(QApplication::activeWindow(), &probe); // a window coming up takes it
        main.activateWindow();
        settle();
        QCOMPARE(QApplication::activeWindow(), &main);
        probe.Show();
        settle();
        QCOMPARE(QApplication::activeWindow(), &main);

        // The test platform hands the focus to every window it maps; a
        // window manager asks the bar first, and the bar declines.
        Standby::get().Show();
        settle();
        main.activateWindow();
        settle();
        for (int file = 0; file < 5; ++file) {
            Standby::get().Show();
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression("requestActivate.*WindowDoesNotAcceptFocus"));
            Standby::get().activateWindow(); // as a window manager's click-to-focus would ask
            settle();
            QCOMPARE(QApplication::activeWindow(), &main);
        }
    }

    // A window larger than the screen's available area is shrunk to it; one
    // placed off the screen is moved onto it; one that fits stays as placed.
    void windowsFitTheScreen_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("fixed");
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QTest::newRow("fits") << area.topLeft() + QPoint(10, 20) << QSize(200, 100) << false;
        QTest::newRow("too tall") << area.topLeft() << QSize(200, area.height() + 300) << false;
        QTest::newRow("too wide, fixed") << area.topLeft() << QSize(area.width() * 2, 100) << true;
        QTest::newRow("below the screen")
            << area.topLeft() + QPoint(50, area.height() - 10) << QSize(200, 100) << false;
        QTest::newRow("left of and above the screen")
            << area.topLeft() - QPoint(500, 400) << QSize(200, 100) << false;
        QTest::newRow("past the right edge")
            << area.topLeft() + QPoint(area.width() * 3, 0) << QSize(300, 100) << false;
    }
    void windowsFitTheScreen()
    {
        QFETCH(QPoint, pos);
        QFETCH(QSize, size);
        QFETCH(bool, fixed);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        Probe& probe = Probe::get();
        probe.resize(size);
        if (fixed) probe.setFixedSize(size);
        probe.move(pos);
        probe.Show();
        settle();
        QVERIFY2(area.contains(probe.frameGeometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                      .arg(probe.x())
                                                                      .arg(probe.y())
                                                                      .arg(probe.width())
                                                                      .arg(probe.height())));
        if (area.contains(QRect(pos, size))) {
            QCOMPARE(probe.pos(), pos);
            QCOMPARE(probe.size(), size);
        }
        if (size.height() <= area.height()) QCOMPARE(probe.height(), size.height());
        if (size.width() <= area.width()) QCOMPARE(probe.width(), size.width());
        if (fixed) QCOMPARE(probe.minimumSize(), probe.maximumSize());
    }

    // Every caption of every window fits its control at the program's font,
    // as the windows were laid out for the Windows dialog font; no label's
    // text lies under the control placed below it, and every text field
    // shows its whole line, descenders included.
    void captionsFit_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < everyWindow().size(); ++i)
            QTest::newRow(everyWindow().at(i).name) << i;
    }
    void captionsFit()
    {
        QFETCH(int, index);
        const ShownWindow shown(index);
        ctl::VbForm* window = shown.window.get();
        const QStringList faults = captionsThatDoNotFit(window);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    }

    // Every window wears the frame its design gives it; one with a title
    // bar off the task bar, and a fixed one without a control box (the
    // search window), has no minimise or maximise under any window manager.
    void framesAsDesigned_data() { captionsFit_data(); }
    void framesAsDesigned()
    {
        QFETCH(int, index);
        const ShownWindow shown(index);
        ctl::VbForm* window = shown.window.get();
        const Frame wanted = designedFrame(everyWindow().at(index).name);
        const Frame seen = frameOf(window);
        QCOMPARE(seen.titleBar, wanted.titleBar);
        QCOMPARE(seen.buttons, wanted.buttons);
        QCOMPARE(seen.taskBar, wanted.taskBar);
        const bool fixed = window->minimumSize() == window->maximumSize();
        QCOMPARE(plat::minimizeAndMaximizeKeptOff(window),
                 wanted.titleBar &&
                     (!wanted.taskBar || (wanted.buttons == ctl::NoTitleButtons && fixed)));
    }

    // Enter presses the button that has the focus, as Space does; a text
    // field that acts on Enter keeps its own Enter, and one that does not
    // presses no button.
    void enterPressesTheFocusedButton_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("pressed"); // "": none
        QTest::newRow("add favourite link, Okay") << "FavLink"
                                                  << "Command1"
                                                  << "Command1";
        QTest::newRow("add favourite link, Cancel") << "FavLink"
                                                    << "Command2"
                                                    << "Command2";
        QTest::newRow("add favourite link, name field") << "FavLink"
                                                        << "Text1"
                                                        << "";
        QTest::newRow("news question, Okay") << "NewsSeek"
                                             << "Command1"
                                             << "Command1";
        QTest::newRow("file rename, new name field") << "Namer2"
                                                     << "Text1"
                                                     << "Command1";
    }
    void enterPressesTheFocusedButton()
    {
        QFETCH(QString, window);
        QFETCH(QString, focus);
        QFETCH(QString, pressed);
        testsupport::RecordingMessageBoxes boxes;
        testsupport::RecordingProcesses processes;
        testsupport::RecordingShellOpen shell;
        const QHash<QString, std::function<ctl::VbForm&()>> windows = {
            {"FavLink", [] { return std::ref<ctl::VbForm>(FavLink::get()); }},
            {"NewsSeek", [] { return std::ref<ctl::VbForm>(NewsSeek::get()); }},
            {"Namer2", [] { return std::ref<ctl::VbForm>(Namer2::get()); }},
        };
        ctl::VbForm& w = windows.value(window)();
        w.Show();
        settle();
        auto* target = w.findChild<QWidget*>(focus);
        QVERIFY(target);
        target->setFocus(Qt::TabFocusReason);
        settle();
        QCOMPARE(QApplication::focusWidget(), target);
        QList<ctl::CommandButton*> buttons = w.findChildren<ctl::CommandButton*>();
        QList<std::shared_ptr<QSignalSpy>> clicks;
        for (ctl::CommandButton* b : buttons)
            clicks << std::make_shared<QSignalSpy>(b, &ctl::CommandButton::Click);
        QTest::keyClick(target, Qt::Key_Return);
        for (int i = 0; i < buttons.size(); ++i)
            QCOMPARE(clicks[i]->count(), buttons[i]->objectName() == pressed ? 1 : 0);
        FavLink::UnloadIfLoaded();
        NewsSeek::UnloadIfLoaded();
        NewsNet::UnloadIfLoaded();
        Namer2::UnloadIfLoaded();
    }

    // A check box on a coloured window shows a white box with its mark in
    // it; only its surround takes the window's colour.
    void checkBoxShowsItsBox_data()
    {
        QTest::addColumn<bool>("ticked");
        QTest::newRow("clear") << false;
        QTest::newRow("ticked") << true;
    }
    void checkBoxShowsItsBox()
    {
        QFETCH(bool, ticked);
        Saveas saver; // green, its check box green around the box
        saver.show();
        settle();
        QCheckBox* box = saver.Check1;
        box->setChecked(ticked);
        QStyleOptionButton option;
        option.initFrom(box);
        const QRect indicator =
            box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
        const QImage shot = box->grab().toImage();
        const QColor surround = shot.pixelColor(box->width() - 1, box->height() / 2);
        QCOMPARE(surround, QColor(0, 192, 0));
        const QColor middle = shot.pixelColor(indicator.center());
        int darkest = 255;
        const QRect inside = indicator.adjusted(2, 2, -2, -2);
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                darkest = qMin(darkest, qGray(shot.pixel(x, y)));
        if (ticked) {
            QVERIFY2(darkest < 100, qPrintable(QString::number(darkest))); // the mark
        } else {
            QVERIFY2(qGray(middle.rgb()) > 240 && middle.red() > 240, qPrintable(middle.name()));
            QVERIFY2(darkest > 200, qPrintable(QString::number(darkest))); // white throughout
        }
    }

    // The Open and Save dialogs show an ordinary folder's name, size, type
    // and date whole, all four side by side.
    void fileDialogColumnsReadWhole_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("Open") << false;
        QTest::newRow("Save As") << true;
    }
    void fileDialogColumnsReadWhole()
    {
        QFETCH(bool, save);
        m_drives->write("C:\\pics\\Holiday photo.jpg", QByteArray(62900, 'x')); // "61.4 KiB"
        m_drives->write("C:\\pics\\notes.txt", QByteArray(1500, 'x'));
        m_drives->write("C:\\pics\\index.htm", "<p>");
        m_drives->mkdir("C:\\pics\\Older pictures");
        plat::CommonDialog dlg;
        dlg.InitDir = "C:\\pics";
        QFileDialog fd;
        plat::prepareFileDialog(fd, dlg, save);
        auto* view = fd.findChild<QTreeView*>("treeView");
        QVERIFY(view);
        auto* model = qobject_cast<QFileSystemModel*>(view->model());
        QVERIFY(model);
        fd.show();
        const QModelIndex folder = model->index(m_drives->hostPath("C:\\pics"));
        QTRY_COMPARE(model->rowCount(folder), 4);
        settle();
        QHeaderView* header = view->header();
        const QAbstractItemView* cells = view; // the view's own measure of what its rows show
        int all = 0;
        for (int c = 0; c < 4; ++c) {
            QVERIFY2(header->sectionSize(c) >= cells->sizeHintForColumn(c),
                     qPrintable(QStringLiteral("column %1: %2 of %3")
                                    .arg(c)
                                    .arg(header->sectionSize(c))
                                    .arg(cells->sizeHintForColumn(c))));
            all += header->sectionSize(c);
        }
        QVERIFY2(all <= view->viewport()->width(),
                 qPrintable(QStringLiteral("%1 of %2").arg(all).arg(view->viewport()->width())));
        fd.hide();
    }

    // The fit check itself sees a caption that is cut: a label whose text
    // the field below it covers, a button too narrow, a field too low.
    void captionCheckSeesCutCaptions_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("label under a field") << "label";
        QTest::newRow("narrow button") << "button";
        QTest::newRow("low field") << "field";
    }
    void captionCheckSeesCutCaptions()
    {
        QFETCH(QString, kind);
        Probe& probe = Probe::get();
        QWidget* c = probe.client();
        probe.resize(400, 200);
        if (kind == "label") {
            auto* label = new ctl::Label(c, "Label1", " New Filename");
            ctl::Move(label, 1200, 360, 1455, 375);
            auto* field = new ctl::TextBox(c, "Text1");
            ctl::Move(field, 1200, 420, 2415, 375); // 4 pixels below the label's top
        } else if (kind == "button") {
            auto* button = new ctl::CommandButton(c, "Command1", "Change Extension");
            ctl::Move(button, 0, 0, 600, 375);
        } else {
            auto* field = new QLineEdit(c); // not a text box: nothing keeps it whole
            field->setObjectName("Text1");
            ctl::Move(field, 0, 0, 2000, 150);
        }
        probe.show();
        settle();
        QCOMPARE(captionsThatDoNotFit(&probe).size(), 1);
    }

    // A list or a button with the focus looks different from one without:
    // a list with no current entry, one with a current entry, a button.
    void focusIsMarked_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("file list, nothing current") << "files";
        QTest::newRow("file list, an entry current") << "files current";
        QTest::newRow("folder list, nothing current") << "folders";
        QTest::newRow("list box, an entry current") << "list current";
        QTest::newRow("button") << "button";
    }
    void focusIsMarked()
    {
        QFETCH(QString, kind);
        m_drives->write("C:\\f\\a.txt");
        m_drives->write("C:\\f\\b.txt");
        Probe& probe = Probe::get();
        probe.resize(300, 200);
        QWidget* c = probe.client();
        auto* other = new ctl::TextBox(c, "Text1");
        ctl::Move(other, 0, 2400, 1500, 375);
        QWidget* target = nullptr;
        if (kind.startsWith("files")) {
            auto* files = new ctl::FileListBox(c, "File1");
            files->setPath("C:\\f");
            if (kind.endsWith("current")) files->setCurrentRow(1, QItemSelectionModel::NoUpdate);
            target = files;
        } else if (kind == "folders") {
            auto* dirs = new ctl::DirListBox(c, "Dir1");
            dirs->setPath("C:\\f");
            dirs->setListIndex(-1);
            target = dirs;
        } else if (kind == "list current") {
            auto* list = new ctl::ListBox(c, "List1", ctl::ListBox::Extended);
            list->AddItems({"one", "two"});
            list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
            target = list;
        } else {
            target = new ctl::CommandButton(c, "Command1", "Change Extension");
        }
        ctl::Move(target, 0, 0, 2400, kind == "button" ? 375 : 1500);
        probe.Show();
        settle();
        QCOMPARE(QApplication::activeWindow(), &probe);
        other->setFocus(Qt::MouseFocusReason);
        settle();
        const QImage unfocused = target->grab().toImage();
        target->setFocus(Qt::MouseFocusReason); // a click, not the keyboard
        settle();
        QVERIFY(target->hasFocus());
        const QImage focused = target->grab().toImage();
        QVERIFY(focused != unfocused);
    }

    // Message boxes and input boxes open centred over the window that
    // raised them, not at the screen's centre.
    void boxesOpenOverTheirWindow_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("message box") << "msgbox";
        QTest::newRow("input box") << "inputbox";
    }
    void boxesOpenOverTheirWindow()
    {
        QFETCH(QString, kind);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        Probe& probe = Probe::get();
        probe.resize(area.width() / 2, area.height() / 2);
        probe.move(area.topLeft() + QPoint(10, 10));
        probe.Show();
        settle();
        QCOMPARE(QApplication::activeWindow(), &probe);

        // Each box is seen as it comes up and closed at once.
        testsupport::AnsweredRealBoxes boxes;
        QRect geometry;
        boxes.answer = [&](QDialog* box) {
            geometry = box->frameGeometry(); // once it is up: laid out and placed
            box->reject();
        };
        if (kind == "msgbox")
            plat::MsgBox("Cannot find \"x\"");
        else
            QVERIFY(plat::InputBox("Name?").isNull());
        QVERIFY(boxes.over == QList<QPointer<QWidget>>{&probe});
        const QPoint centre = probe.geometry().center();
        QVERIFY2(qAbs(geometry.center().x() - centre.x()) <= 2 &&
                     qAbs(geometry.center().y() - centre.y()) <= 2,
                 qPrintable(QStringLiteral("box at %1,%2, window centre %3,%4")
                                .arg(geometry.center().x())
                                .arg(geometry.center().y())
                                .arg(centre.x())
                                .arg(centre.y())));
    }

    // After a dialog's message box is answered, the keyboard is back in the
    // dialog, on the control that had it, whichever window the window
    // manager hands it to as the box closes (here the main window, as
    // openbox does for a tool window).
    void boxGivesTheKeyboardBack_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("focus");  // the control that has the keyboard
        QTest::addColumn<QString>("prompt"); // the box its Okay raises
        QTest::newRow("Create Folder, a name that exists") << "FoldMaker"
                                                           << "Text1"
                                                           << " Duplicate folder already exists. ";
        QTest::newRow("New Folder Name, no name") << "Namer"
                                                  << "Text2"
                                                  << "Please enter new name to continue";
        QTest::newRow("an add-link dialog, no name")
            << "ALink"
            << "Text1"
            << "Please create a name for this link to continue";
        QTest::newRow("Picture Saver, a name without an extension")
            << "Saveas"
            << "Text2"
            << "Please include file extension .bmp after filename.";
        QTest::newRow("Copy File, no destination") << "Form2"
                                                   << "Text2"
                                                   << "Please enter destination to continue";
    }
    void boxGivesTheKeyboardBack()
    {
        QFETCH(QString, window);
        QFETCH(QString, focus);
        QFETCH(QString, prompt);
        m_drives->mkdir("C:\\Data");
        const QHash<QString, std::function<ctl::VbForm&()>> windows = {
            {"FoldMaker",
             [] {
                 FoldMaker& d = FoldMaker::get();
                 d.Text2->setText("C:\\");
                 d.Text1->setText("Data");
                 return std::ref<ctl::VbForm>(d);
             }},
            {"Namer",
             [] {
                 Namer& d = Namer::get();
                 d.Text1->setText("C:\\Data");
                 return std::ref<ctl::VbForm>(d);
             }},
            {"ALink", [] { return std::ref<ctl::VbForm>(ALink::get()); }},
            {"Saveas",
             [] {
                 Saveas& d = Saveas::get();
                 d.Text1->setText("holiday");
                 d.Text2->setText("C:\\Data");
                 return std::ref<ctl::VbForm>(d);
             }},
            {"Form2", [] { return std::ref<ctl::VbForm>(Form2::get()); }},
        };
        Form1& main = Form1::get();
        main.Show();
        ctl::VbForm& dialog = windows.value(window)();
        dialog.Show();
        QTRY_COMPARE(QApplication::activeWindow(), &dialog);
        auto* target = dialog.findChild<QWidget*>(focus);
        QVERIFY(target);
        target->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), target);

        testsupport::AnsweredRealBoxes boxes;
        boxes.keyboardAfterAnswer = &main;
        dialog.findChild<ctl::CommandButton*>("Command1")->Press();
        QCOMPARE(boxes.prompts, QStringList{prompt});
        QVERIFY(boxes.over == QList<QPointer<QWidget>>{&dialog});
        QVERIFY(!dialog.isUnloaded());
        QTRY_COMPARE(QApplication::activeWindow(), &dialog);
        QTRY_COMPARE(QApplication::focusWidget(), target);
        dialog.Unload();
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
