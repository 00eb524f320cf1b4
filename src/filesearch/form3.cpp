#include "filesearch/form3.h"

#include "controls/handlers.h"
#include "platform/app.h"
#include "platform/fileerror.h"
#include "platform/msgbox.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

namespace {
constexpr int kLightYellow = 0x00C0FFFF;
constexpr int kRed = 0x000000FF;
constexpr int kWhite = 0x00FFFFFF;

// 387 x 304 pixels, drawn rather than stored.
QPixmap backgroundPicture()
{
    QPixmap pm(387, 304);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 387, 304);
    g.setColorAt(0, QColor(255, 255, 192));
    g.setColorAt(1, QColor(192, 160, 64));
    p.fillRect(pm.rect(), g);
    p.setPen(QPen(QColor(128, 96, 32), 3));
    for (int r = 30; r < 300; r += 40)
        p.drawEllipse(QPoint(120, 150), r, r * 3 / 4);
    return pm;
}
} // namespace

Form3::Form3()
{
    setObjectName("Form3");
    setCaption("Form3");
    setBackColor(kLightYellow);
    QWidget* c = client();
    picture = new QLabel(c);
    picture->setObjectName("Picture");
    picture->setPixmap(backgroundPicture());
    picture->setGeometry(0, 0, 387, 304);
    picture->lower();
    Command6 = new ctl::CommandButton(c, "Command6", "Deep Search");
    ctl::Move(Command6, 9720, 360, 1695, 735);
    ctl::setBackColor(Command6, kRed);
    Label1 = new ctl::Label(c, "Label1", "Label1");
    ctl::Move(Label1, 1800, 3840, 8535, 735);
    ctl::setBackColor(Label1, kWhite);
    List1 = new ctl::ListBox(c, "List1");
    ctl::Move(List1, 2880, 5160, 8535, 2595);
    // The label above says what the walk is doing, not what the list holds.
    List1->setAccessibleName("Search results");
    QWidget::setTabOrder(Command6, List1);
    setClientSizeTwips(11370, 8595);
    setWindowState(Qt::WindowMaximized);

    ctl::onSignal(Command6, &ctl::CommandButton::Click, this, &Form3::Command6_Click);
    m_progress =
        std::make_unique<WalkProgress>(Label1, std::initializer_list<ctl::ListBox*>{List1});
}

void Form3::Command6_Click()
{
    // A press during a walk that listed something empties the list, and the
    // walk goes on appending to it; before its first match a press runs a
    // walk of its own inside it, after which the first goes on with its own
    // folder, file enumeration and counts.
    if (List1->ListCount() > 0) {
        List1->Clear();
        return;
    }
    const QString folder =
        plat::InputBox("Please enter the directory to search", "File Deep Search", "C:\\");
    // A cancelled question searches nothing (the default folder is a whole
    // drive, and this walk has no Stop).
    if (folder.isNull()) return;
    const QString pattern =
        plat::InputBox("Please enter the file name to search", "File Deep Search ", "*.*");
    if (pattern.isNull()) return;
    ++m_walks;
    plat::setHourglass(true);
    Label1->setCaption("Searching \r\n" + folder.toUpper() + "...");
    int folders = 0;
    int files = 0;
    SearchFolder(folder, pattern, folders, files);
    m_progress->show();
    plat::setHourglass(--m_walks > 0);
    // A walk ended by closing its window has no one left to tell.
    if (!isUnloaded())
        plat::MsgBox(" " + QString::number(files) + " files found in " + QString::number(folders) +
                         " directories",
                     plat::vbInformation);
}

void Form3::SearchFolder(QString path, const QString& pattern, int& folders, int& files)
{
    try {
        CurrentFolder = FileSystem.GetFolder(path);
    } catch (const plat::FileError&) {
        ++folders;
        return;
    }
    const plat::Folder folder = CurrentFolder;
    plat::FileEnumeration found;
    QString name =
        found.First(folder.Path(), pattern, plat::vbReadOnly | plat::vbHidden | plat::vbSystem);
    while (!name.isEmpty()) {
        ++files;
        m_progress->append(plat::FileSystemObject::BuildPath(folder.Path(), name));
        name = found.Next();
        m_progress->yield();
        if (isUnloaded()) return;
    }
    m_progress->setCaption("Searching \r\n" + folder.Path() + "...");
    ++folders;
    const QStringList subFolders = folder.SubFolders();
    for (const QString& sub : subFolders) {
        m_progress->yield();
        if (isUnloaded()) return;
        SearchFolder(sub, pattern, folders, files);
    }
}
