// What a screen reader finds in every window: each text field, list and
// button has a name; a field without a caption of its own is named by the
// label placed before it; the panes say which pane a control belongs to;
// the editor's toolbar pictures are buttons that can be pressed; list rows
// are named by their text, without the blanks that lay out the folder tree.
#include "testsupport.h"

#include "editor/frmfind.h"
#include "editor/imagebutton.h"
#include "editor/module1.h"
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
#include "platform/drives.h"
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

#include <QAccessible>
#include <QtTest>

#include <memory>

namespace {

using Loader = ctl::VbForm* (*)();
template <class T> ctl::VbForm* loadWindow()
{
    return &T::get();
}

// Every window of the program that holds controls, loaded as a command loads it.
const QList<QPair<const char*, Loader>>& windows()
{
    static const QList<QPair<const char*, Loader>> all = {
        {"Form1", &loadWindow<Form1>},           {"frmFind", &loadWindow<frmFind>},
        {"Textpad", &loadWindow<Textpad>},       {"Web1", &loadWindow<Web1>},
        {"Form2", &loadWindow<Form2>},           {"Form5", &loadWindow<Form5>},
        {"Form6", &loadWindow<Form6>},           {"Form7", &loadWindow<Form7>},
        {"Form8", &loadWindow<Form8>},           {"FoldMaker", &loadWindow<FoldMaker>},
        {"Namer", &loadWindow<Namer>},           {"Namer2", &loadWindow<Namer2>},
        {"Standby", &loadWindow<Standby>},       {"Dig", &loadWindow<Dig>},
        {"Form3", &loadWindow<Form3>},           {"Color1", &loadWindow<Color1>},
        {"Help1", &loadWindow<Help1>},           {"Splash", &loadWindow<Splash>},
        {"Saveas", &loadWindow<Saveas>},         {"ALink", &loadWindow<ALink>},
        {"ChLink", &loadWindow<ChLink>},         {"DeLink", &loadWindow<DeLink>},
        {"FavLink", &loadWindow<FavLink>},       {"RLink", &loadWindow<RLink>},
        {"SLink", &loadWindow<SLink>},           {"ANet", &loadWindow<ANet>},
        {"ASeek", &loadWindow<ASeek>},           {"FavNet", &loadWindow<FavNet>},
        {"FavSeek", &loadWindow<FavSeek>},       {"Inet", &loadWindow<Inet>},
        {"ISeek", &loadWindow<ISeek>},           {"IStart", &loadWindow<IStart>},
        {"NewsNet", &loadWindow<NewsNet>},       {"NewsSeek", &loadWindow<NewsSeek>},
        {"WeatherNet", &loadWindow<WeatherNet>}, {"WeatherSeek", &loadWindow<WeatherSeek>},
        {"Scroll", &loadWindow<Scroll>},         {"SpnScrol", &loadWindow<SpnScrol>},
        {"Rowtate", &loadWindow<Rowtate>},       {"Spin", &loadWindow<Spin>},
        {"ZipView", &loadWindow<ZipView>},       {"RealView", &loadWindow<RealView>},
        {"AviPlay", &loadWindow<AviPlay>},       {"PlayAvi", &loadWindow<PlayAvi>},
    };
    return all;
}

bool mustBeNamed(QAccessible::Role r)
{
    switch (r) {
    case QAccessible::EditableText:
    case QAccessible::List:
    case QAccessible::ComboBox:
    case QAccessible::Tree:
    case QAccessible::Table:
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
        return true;
    default:
        return false;
    }
}

QString describe(QAccessibleInterface* a)
{
    QObject* o = a->object();
    return QString::number(a->role(), 16) + " " + (o ? o->objectName() : QString("(row)"));
}

// Walks what a screen reader sees: controls without a name, and list rows
// whose name begins with a blank.
void walk(QAccessibleInterface* a, QStringList& unnamed, QStringList& paddedRows)
{
    if (!a || a->state().invisible) return;
    const QString name = a->text(QAccessible::Name);
    if (mustBeNamed(a->role()) && name.trimmed().isEmpty()) unnamed << describe(a);
    if ((a->role() == QAccessible::ListItem || a->role() == QAccessible::TreeItem) &&
        name.startsWith(' '))
        paddedRows << name;
    for (int i = 0; i < a->childCount(); ++i)
        walk(a->child(i), unnamed, paddedRows);
}

QWidget* control(ctl::VbForm* w, const QString& name)
{
    return w->findChild<QWidget*>(name);
}

// A fresh description of a list: with no bridge active, one made before a
// refill would still describe the rows it had.
QAccessibleInterface* freshList(QWidget* list)
{
    QAccessible::deleteAccessibleInterface(
        QAccessible::uniqueId(QAccessible::queryAccessibleInterface(list)));
    return QAccessible::queryAccessibleInterface(list);
}

QString nameOf(QWidget* w)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString("<no interface>");
}

void flush()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

Q_DECLARE_METATYPE(Loader)

class TstAccessibility : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::TempDrives> m_drives;
    std::unique_ptr<testsupport::RecordingMessageBoxes> m_boxes;
    std::unique_ptr<testsupport::ScriptedDialogs> m_dialogs;

  private slots:
    void initTestCase()
    {
        testsupport::isolateEnvironment();
        m_drives = std::make_unique<testsupport::TempDrives>(2);
        m_boxes = std::make_unique<testsupport::RecordingMessageBoxes>();
        m_dialogs = std::make_unique<testsupport::ScriptedDialogs>();
        ctl::VbForm::setModalHook([](ctl::VbForm*) {});
        // The tree is asked directly. The offscreen platform has no bridge
        // to a desktop, so QAccessible stays inactive whatever is set, and
        // changes do not reach descriptions made before them.
        Form1::get();
        Splash::UnloadIfLoaded();
        flush();
    }
    void cleanupTestCase()
    {
        Module1::TextChanged = false;
        ctl::VbForm::setModalHook(nullptr);
        m_dialogs.reset();
        m_boxes.reset();
    }

    void everyControlIsNamed_data()
    {
        QTest::addColumn<Loader>("load");
        for (const auto& [name, load] : windows())
            QTest::newRow(name) << load;
    }
    void everyControlIsNamed()
    {
        QFETCH(Loader, load);
        ctl::VbForm* w = load();
        w->show();
        QStringList unnamed, paddedRows;
        walk(QAccessible::queryAccessibleInterface(w), unnamed, paddedRows);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
        QVERIFY2(paddedRows.isEmpty(), qPrintable(paddedRows.join(", ")));
    }

    void fieldTakesTheLabelBeforeIt_data()
    {
        QTest::addColumn<Loader>("load");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name"); // blanks at the ends aside
        QTest::newRow("search folder") << Loader(&loadWindow<Dig>) << "txtvalue"
                                       << "Please Enter Path Below";
        QTest::newRow("search file name") << Loader(&loadWindow<Dig>) << "textval"
                                          << "Please Enter FileName Below";
        QTest::newRow("Find Word") << Loader(&loadWindow<frmFind>) << "txtFind"
                                   << "Find Word:";
        QTest::newRow("link name") << Loader(&loadWindow<ALink>) << "Text1"
                                   << "Name For Link";
        QTest::newRow("link address") << Loader(&loadWindow<ALink>) << "Text2"
                                      << "Website Address";
        QTest::newRow("label overlapping its field") << Loader(&loadWindow<SLink>) << "Text2"
                                                     << "Website Address";
        QTest::newRow("changed link") << Loader(&loadWindow<ChLink>) << "Text2"
                                      << "Web Address";
        QTest::newRow("link to remove (label made after the field)")
            << Loader(&loadWindow<DeLink>) << "Text1"
            << "Link name to remove";
        QTest::newRow("search text") << Loader(&loadWindow<ISeek>) << "Text1"
                                     << "Search for:";
        QTest::newRow("folder path, label to its left") << Loader(&loadWindow<Namer>) << "Text1"
                                                        << "Directory Name";
        QTest::newRow("own name kept") << Loader(&loadWindow<FoldMaker>) << "Text1"
                                       << "New folder name";
        QTest::newRow("drive list") << Loader(&loadWindow<Form1>) << "Drive3"
                                    << "Drive, pane 3";
        QTest::newRow("first drive list") << Loader(&loadWindow<Form1>) << "DriveBox"
                                          << "Drive, pane 1";
        QTest::newRow("folder list") << Loader(&loadWindow<Form1>) << "DirBox3"
                                     << "Folders, pane 3";
        QTest::newRow("file list") << Loader(&loadWindow<Form1>) << "FileBox5"
                                   << "Files, pane 5";
        QTest::newRow("pattern field") << Loader(&loadWindow<Form1>) << "Text2"
                                       << "Pattern, pane 2";
    }
    void fieldTakesTheLabelBeforeIt()
    {
        QFETCH(Loader, load);
        QFETCH(QString, control);
        QFETCH(QString, name);
        ctl::VbForm* w = load();
        w->show();
        QWidget* c = ::control(w, control);
        QVERIFY(c);
        QCOMPARE(nameOf(c).trimmed(), name);
    }

    // The label stays the field's name: a caption changed later renames it.
    void fieldFollowsItsLabel()
    {
        DeLink& d = DeLink::get();
        d.show();
        d.Label1->setCaption("Name of the link");
        QCOMPARE(nameOf(d.Text1), QString("Name of the link"));
        d.Unload();
        flush();
    }

    // The toolbar's pictures are buttons: pressed by a screen reader they
    // do what a click does.
    void toolbarPicturesArePressable()
    {
        Textpad& pad = Textpad::get();
        pad.show();
        const QList<ImageButton*> pictures = pad.findChildren<ImageButton*>();
        QVERIFY(!pictures.isEmpty());
        for (ImageButton* b : pictures) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b);
            QVERIFY(a);
            QCOMPARE(a->role(), QAccessible::Button);
            QCOMPARE(a->text(QAccessible::Name), b->toolTip());
            QAccessibleActionInterface* act = a->actionInterface();
            QVERIFY(act);
            QCOMPARE(act->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
            QSignalSpy clicks(b, &ImageButton::Click);
            act->doAction(QAccessibleActionInterface::pressAction());
            QCOMPARE(clicks.count(), 1);
        }
        Module1::TextChanged = false;
    }

    // A drive list is named by its pane; the drive it shows is its value,
    // and it drops its list down when asked.
    void driveListSaysItsDrive()
    {
        ctl::DriveListBox* drive = Form1::get().Pane(4).drive;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(drive);
        QCOMPARE(a->role(), QAccessible::ComboBox);
        QCOMPARE(a->text(QAccessible::Name), QString("Drive, pane 4"));
        QCOMPARE(a->text(QAccessible::Value), drive->Drive());
        QCOMPARE(a->childCount(), 1);
        QCOMPARE(a->child(0)->object(), drive->view());
        QVERIFY(a->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::showMenuAction()));
    }

    // Rows say their names: a folder row without the blanks that indent
    // the tree, a file as the list shows it.
    void rowsAreNamedByTheirText()
    {
        m_drives->mkdir("C:\\Big\\Inner");
        QVERIFY(QDir().mkdir(m_drives->hostPath("C:\\Big") + "/ ")); // a folder named " "
        m_drives->write(QString("C:\\Big\\\u202Btest\u202B"));
        Form1& f = Form1::get();
        testsupport::showFolder(1, "C:\\Big");
        QStringList folders;
        QAccessibleInterface* dirs = freshList(f.Pane(1).dir);
        for (int i = 0; i < dirs->childCount(); ++i)
            folders << dirs->child(i)->text(QAccessible::Name);
        QCOMPARE(folders, QStringList({"C:\\", "Big", "\\u{20}", "Inner"}));
        QCOMPARE(f.Pane(1).dir->List(1), QString("  Big")); // the entry itself is as it was
        QAccessibleInterface* files = freshList(f.Pane(1).file);
        QCOMPARE(files->childCount(), 1);
        QCOMPARE(files->child(0)->text(QAccessible::Name), QString("\\u{202B}test\\u{202B}"));
        QCOMPARE(f.Pane(1).file->List(0), QString("\u202Btest\u202B"));
    }
};

QTEST_MAIN(TstAccessibility)
#include "tst_accessibility.moc"
