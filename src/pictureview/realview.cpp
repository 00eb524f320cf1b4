#include "pictureview/realview.h"

#include "controls/handlers.h"
#include "mainwindow/form1.h"
#include "pictureview/saveas.h"
#include "platform/app.h"
#include "platform/clipboard.h"
#include "platform/colors.h"
#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/msgbox.h"
#include "platform/picture.h"
#include "platform/printer.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QScreen>

const QStringList RealView::ZoomSteps = {"Size/10",          "Size/8",           "Size/6",
                                         "Size/4",           "Size/2",           "True Size",
                                         "Magnification X2", "Magnification X4", "Magnification X6",
                                         "Magnification X8", "Magnification X10"};

namespace {

const QString kPictureFilter = QStringLiteral(
    "Pictures (*.Bmp;*.Cur;*.Gif;*.Ico;*.Jpg;*.Wmf)|*.Bmp;*.Cur;*.Gif;*.Ico;*.Jpg;*.Wmf");

// What Flip 180 leaves on the screen: the mirrored picture box, until the
// box is drawn again.
class MirrorOverlay : public QWidget {
  public:
    MirrorOverlay(QWidget* over, QImage image) : QWidget(over), m_image(std::move(image))
    {
        setGeometry(over->rect());
        over->installEventFilter(this);
        show();
        raise();
    }
    bool eventFilter(QObject*, QEvent* ev) override
    {
        // The next repaint of the box after ours shows it as it was.
        if (m_painted && ev->type() == QEvent::Paint) deleteLater();
        return false;
    }

  protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).drawImage(0, 0, m_image);
        m_painted = true;
    }

  private:
    QImage m_image;
    bool m_painted = false;
};

} // namespace

RealView::RealView()
{
    setObjectName("RealView");
    setCaption(QString());
    // Always opens maximised.
    setBorderStyle(ctl::BorderStyle::FixedSingle, ctl::CloseButton);
    // Screen-sized also where no window manager maximises it.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(Qt::WindowMaximized);
    setBackColor(plat::vbWhite);

    QWidget* c = client();
    Picture1 = new QWidget(c);
    Picture1->setObjectName("Picture1");
    ctl::setBackColor(Picture1, plat::vbWindowBackground);
    ctl::Move(Picture1, 0, 0, 15000, 8000);

    Image1 = new ctl::Image(Picture1, "Image1");
    Image1->Move(0, 20, 20000, 20000);

    Command2 = new ctl::CommandButton(Picture1, "Command2", "Reduce");
    ctl::Move(Command2, 1800, 7680, 975, 375);
    VScroll1 = new QScrollBar(Qt::Vertical, Picture1);
    VScroll1->setObjectName("VScroll1");
    ctl::Move(VScroll1, 11640, 10, 375, 8200);
    VScroll1->setRange(0, 32767);
    VScroll1->setSingleStep(25);
    VScroll1->setPageStep(1);
    VScroll1->setValue(0);
    // A dragged thumb moves the picture only when it is released.
    VScroll1->setTracking(false);
    VScroll1->hide();
    Command3 = new ctl::CommandButton(Picture1, "Command3", "Flip 180");
    ctl::Move(Command3, 3120, 7680, 1095, 375);
    Command3->hide();
    Command4 = new ctl::CommandButton(Picture1, "Command4", "Rotate");
    ctl::Move(Command4, 4560, 7800, 1215, 375);
    Command4->hide();
    Command5 = new ctl::CommandButton(Picture1, "Command5", "Command5");
    ctl::Move(Command5, 2040, 1800, 615, 375);
    Command5->hide();
    Command6 = new ctl::CommandButton(Picture1, "Command6", "Command6");
    Command6->hide();

    Command1 = new ctl::CommandButton(c, "Command1", "Enlarge");
    ctl::Move(Command1, 240, 7680, 975, 375);
    Command1->raise();

    CommonDialog1.Filter = QStringLiteral("Pictures(*.Bmp)|*.Bmp,(*.Gif)*.Gif");
    CommonDialog1.CancelError = false;

    mnuFile = topMenu("mnuFile", "File");
    mnuClip = item(mnuFile, "mnuClip", "Copy to Clipboard", QKeySequence("Ctrl+C"),
                   [this] { mnuClip_Click(); });
    mnuEnlarge = item(mnuFile, "mnuEnlarge", "Enlarge Picture", QKeySequence("Ctrl+E"),
                      [this] { mnuEnlarge_Click(); });
    mnuOpen = item(mnuFile, "mnuOpen", "Open New Picture", QKeySequence("Ctrl+O"),
                   [this] { mnuOpen_Click(); });
    mnuPrint =
        item(mnuFile, "mnuPrint", "Print", QKeySequence("Ctrl+P"), [this] { mnuPrint_Click(); });
    mnuReduce = item(mnuFile, "mnuReduce", "Reduce Picture", QKeySequence("Ctrl+R"),
                     [this] { mnuReduce_Click(); });
    mnuSaveAs = item(mnuFile, "mnuSaveAs", "Save As", QKeySequence("Ctrl+S"),
                     [this] { mnuSaveAs_Click(); });
    mnuExit = item(mnuFile, "mnuExit", "Exit", QKeySequence("Ctrl+X"), [this] { mnuExit_Click(); });

    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, &RealView::Command1_Click);
    ctl::onSignal(Command2, &ctl::CommandButton::Click, this, &RealView::Command2_Click);
    ctl::onSignal(Command3, &ctl::CommandButton::Click, this, &RealView::Command3_Click);
    ctl::onSignal(Command4, &ctl::CommandButton::Click, this, &RealView::Command4_Click);
    ctl::onSignal(VScroll1, &QScrollBar::valueChanged, this, &RealView::VScroll1_Change);
}

void RealView::resizeEvent(QResizeEvent* event)
{
    ctl::VbForm::resizeEvent(event);
    // The picture box is aligned to the left edge: always the client's height.
    ctl::Move(Picture1, 0, 0, 15000, client()->height() * plat::twipsPerPixel);
}

void RealView::Form_Load()
{
    // Up to the Open dialog a step that fails is skipped.
    try {
        plat::clipboard::Clear();
    } catch (const std::exception&) {
    }
    QString path;
    try {
        Form1& f = Form1::get();
        const int n = f.FirstPaneWithSelection();
        if (n == 0) return;
        path = f.FullPath(n);
    } catch (const std::exception&) {
        return;
    }
    CommonDialog1.CancelError = true;

    // From here on any failure closes the viewer before it is shown.
    try {
        CommonDialog1.Filter = kPictureFilter;
        CommonDialog1.FileName = path;
        CommonDialog1.ShowOpen();
        Image1->setPicture(plat::LoadPicture(CommonDialog1.FileName));
        setCaption("True Size");
        if (Image1->Height() > 5000) VScroll1->show();
    } catch (const plat::FileError& e) {
        // A sound picture that does not fit is said so: closing without a
        // word would look as if the file were no picture.
        if (e.number() == plat::ErrPictureTooLarge) ReportTooLarge(CommonDialog1.FileName);
        // So is a name that is no file (a named pipe, a device).
        else if (e.explained())
            plat::MsgBox("Cannot show " + CommonDialog1.FileName + ": " + e.detail() + ".",
                         plat::vbOKOnly | plat::vbExclamation);
        Unload();
    } catch (const std::exception&) {
        Unload();
    }
}

void RealView::ReportTooLarge(const QString& path)
{
    plat::MsgBox(plat::drives::displayName(path) + " is too large to show.",
                 plat::vbOKOnly | plat::vbExclamation);
}

void RealView::Command1_Click()
{
    if (Image1->Height() > 4000) {
        plat::MsgBox("Magnification is at maximum", plat::vbOKOnly);
        return;
    }
    Image1->setStretch(true);
    const int step = ZoomSteps.indexOf(Caption());
    if (Caption() == "Magnification X10" || step < 0) return;
    setCaption(ZoomSteps.at(step + 1));
    Image1->Move(0, 0, Image1->Width() * 2, Image1->Height() * 2);
}

void RealView::Command2_Click()
{
    Image1->setStretch(true);
    const int step = ZoomSteps.indexOf(Caption());
    if (Caption() == "Size/10" || step < 0) return;
    setCaption(ZoomSteps.at(step - 1));
    Image1->Move(0, 0, Image1->Width() / 2, Image1->Height() / 2);
}

void RealView::VScroll1_Change()
{
    Image1->Move(0, -static_cast<float>(VScroll1->value()), Image1->Width(), Image1->Height());
}

void RealView::mnuExit_Click()
{
    Unload();
}

void RealView::SetScrollRange()
{
    VScroll1->setMinimum(0);
    VScroll1->setMaximum(1000);
    VScroll1->setPageStep(100);
    VScroll1->setSingleStep(1);
}

void RealView::mnuClip_Click()
{
    try {
        plat::clipboard::Clear();
        plat::SetClipboardPicture(Image1->Picture());
    } catch (const plat::FileError& e) {
        if (e.number() == plat::ErrClipboardFormat)
            plat::MsgBox("File format not recognized in Clipboard Viewer",
                         plat::vbOKOnly | plat::vbInformation);
    }
}

void RealView::mnuOpen_Click()
{
    // The file name names the picture shown, which Save As copies: it moves
    // to the chosen file only once that file has loaded.
    const QString shown = CommonDialog1.FileName;
    try {
        CommonDialog1.ShowOpen();
        Image1->setPicture(plat::LoadPicture(CommonDialog1.FileName));
    } catch (const plat::FileError& e) {
        const QString chosen = CommonDialog1.FileName;
        CommonDialog1.FileName = shown;
        if (e.number() == plat::ErrClipboardFormat)
            plat::MsgBox("File format not recognized in Clipboard Viewer",
                         plat::vbOKOnly | plat::vbInformation);
        if (e.number() == plat::ErrPictureTooLarge)
            ReportTooLarge(chosen);
        else if (e.explained())
            plat::MsgBox("Cannot show " + chosen + ": " + e.detail() + ".",
                         plat::vbOKOnly | plat::vbExclamation);
    } catch (const std::exception&) {
        CommonDialog1.FileName = shown;
    }
}

void RealView::mnuPrint_Click()
{
    // The factor a caption names, with whether it multiplies or divides.
    struct Scale {
        const char* caption;
        int factor;
        bool multiply;
    };
    static const Scale table[] = {{"Magnification X10", 10, true},
                                  {"Magnification X8", 8, true},
                                  {"Magnification X6", 6, true},
                                  {"Magnification X4", 4, true},
                                  {"Magnification X2", 2, true},
                                  {"True Size", 1, true},
                                  {"Size/2", 2, false},
                                  {"Size/4", 4, false},
                                  {"Size/6", 6, false},
                                  {"Size/8", 8, false},
                                  {"Size/10", 10, false}};
    plat::Printer& printer = plat::printer();
    const QList<ctl::Image*> images = findChildren<ctl::Image*>();
    for (ctl::Image* image : images) {
        // The picture's own size (hundredths of a millimetre, 2540 to the
        // inch) in the page's unit, twips (1440 to the inch): True Size
        // prints at the size the picture has on the screen. Kept in double
        // precision and unrounded: a tall picture prints rather than
        // overflowing.
        const double w = image->Picture().widthTwips;
        const double h = image->Picture().heightTwips;
        for (const Scale& s : table) {
            if (Caption() != QLatin1String(s.caption)) continue;
            const double pw = s.multiply ? w * s.factor : w / s.factor;
            const double ph = s.multiply ? h * s.factor : h / s.factor;
            printer.PaintPicture(image->Picture().image, image->Left(), image->Top(), pw, ph);
            break;
        }
    }
    try {
        printer.EndDoc();
    } catch (const plat::FileError&) {
        plat::MsgBox("The picture could not be printed: no printer is available or it "
                     "refused the page.",
                     plat::vbOKOnly | plat::vbExclamation);
    }
}

void RealView::mnuSaveAs_Click()
{
    Saveas::get().Show(0);
}

void RealView::Command3_Click()
{
    // Mirrors what the picture box shows, top to bottom, until it is drawn
    // again; the picture itself does not change.
    const QImage shown = Picture1->grab().toImage().mirrored(false, true);
    new MirrorOverlay(Picture1, shown);
}

void RealView::Command4_Click()
{
    plat::clipboard::Clear();
    plat::clipboard::SetImage(Image1->Picture().image);
    Picture1->hide();
    Image1->hide();
    const QImage background = plat::clipboard::GetImage();
    if (!m_background) {
        m_background = new QLabel(client());
        m_background->setObjectName("BackgroundPicture");
    }
    m_background->setPixmap(QPixmap::fromImage(background));
    m_background->setGeometry(QRect(QPoint(0, 0), background.size()));
    m_background->show();
    m_background->lower();
    repaint();
    Command5->Press();
}
