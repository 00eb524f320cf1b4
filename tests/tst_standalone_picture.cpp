// The rotation window's pixel-by-pixel turn, the counter window and the
// two scroll-bar windows, on small pictures made here.
#include "testsupport.h"

#include "platform/gdi.h"
#include "standalone/realviewlink.h"
#include "standalone/rowtate.h"
#include "standalone/scroll.h"
#include "standalone/spin.h"
#include "standalone/spnscrol.h"

#include <QtTest>

namespace {

// A picture whose every pixel tells where it stands.
QImage coded(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x, y, 77));
    return img;
}

// A box whose inner area is w x h pixels.
std::unique_ptr<PictureBox> box(int w, int h, int back = 0x00FFFFFF)
{
    auto b = std::make_unique<PictureBox>(nullptr, "box");
    b->setBackColor(back);
    const QMargins m = b->contentsMargins();
    b->resize(w + m.left() + m.right(), h + m.top() + m.bottom());
    return b;
}

QRgb at(PictureBox& b, int x, int y)
{
    return b.surface().pixel(x, y) & 0xFFFFFF;
}

} // namespace

class TstStandalonePicture : public QObject {
    Q_OBJECT

    int m_presses = 0;

  private slots:
    void initTestCase()
    {
        testsupport::isolateEnvironment();
        RealViewLink::setHooks([] { return coded(40, 30); }, [this] { ++m_presses; });
    }

    void cleanup()
    {
        Rowtate::UnloadIfLoaded();
        Spin::UnloadIfLoaded();
        Scroll::UnloadIfLoaded();
        SpnScrol::UnloadIfLoaded();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void rotation_data()
    {
        QTest::addColumn<float>("theta");
        QTest::addColumn<QPoint>("sourceOffset"); // from the source centre
        QTest::addColumn<QPoint>("targetOffset"); // from the target centre

        QTest::newRow("theta 0 keeps the centre") << 0.0f << QPoint(0, 0) << QPoint(0, 0);
        QTest::newRow("theta 0 keeps a point") << 0.0f << QPoint(7, -5) << QPoint(7, -5);
        QTest::newRow("quarter turn: below lands right")
            << 0.785f << QPoint(0, 10) << QPoint(10, 0);
        QTest::newRow("quarter turn: right lands above")
            << 0.785f << QPoint(10, 0) << QPoint(0, -10);
        QTest::newRow("quarter turn: above lands left") << 0.785f << QPoint(0, -6) << QPoint(-6, 0);
    }

    void rotation()
    {
        QFETCH(float, theta);
        QFETCH(QPoint, sourceOffset);
        QFETCH(QPoint, targetOffset);
        auto src = box(41, 37);
        auto dst = box(30, 24);
        src->setPicture(coded(41, 37));
        Rowtate& r = Rowtate::get();
        r.bmp_rotate(*src, *dst, theta);
        const QPoint s = QPoint(41 / 2, 37 / 2) + sourceOffset;
        const QPoint t = QPoint(30 / 2, 24 / 2) + targetOffset;
        QCOMPARE(at(*dst, t.x(), t.y()), coded(41, 37).pixel(s) & 0xFFFFFF);
    }

    void rotationEdges()
    {
        Rowtate& r = Rowtate::get();
        // a 1 x 1 target: n below 0, nothing drawn
        auto src = box(20, 20);
        src->setPicture(coded(20, 20));
        auto tiny = box(1, 1, 0x000000FF);
        r.bmp_rotate(*src, *tiny, 0.785f);
        QCOMPARE(at(*tiny, 0, 0), qRgb(255, 0, 0) & 0xFFFFFF);

        // a source smaller than the target: points outside it keep the
        // target's background
        auto small = box(6, 6);
        small->setPicture(coded(6, 6));
        auto wide = box(40, 40, 0x0000FF00);
        r.bmp_rotate(*small, *wide, 0.0f);
        QCOMPARE(at(*wide, 20, 20), coded(6, 6).pixel(3, 3) & 0xFFFFFF);
        QCOMPARE(at(*wide, 35, 35), qRgb(0, 255, 0) & 0xFFFFFF);
        QCOMPARE(at(*wide, 2, 2), qRgb(0, 255, 0) & 0xFFFFFF);
    }

    void pixelsOutsideReadInvalid()
    {
        auto b = box(4, 3);
        QCOMPARE(plat::gdi::GetPixel(b->hDC(), 4, 0), plat::gdi::CLR_INVALID);
        QCOMPARE(plat::gdi::GetPixel(b->hDC(), 0, -1), plat::gdi::CLR_INVALID);
        QCOMPARE(plat::gdi::SetPixel(b->hDC(), 9, 9, 0x123456), plat::gdi::CLR_INVALID);
        QCOMPARE(plat::gdi::SetPixel(b->hDC(), 1, 1, 0x0000FF), 0x0000FFu);
        QCOMPARE(plat::gdi::GetPixel(b->hDC(), 1, 1), 0x0000FFu);
        QCOMPARE(at(*b, 1, 1), qRgb(255, 0, 0) & 0xFFFFFF);
    }

    void rowtateTakesViewerPictureAtTopLeft()
    {
        Rowtate& r = Rowtate::get();
        QCOMPARE(r.Caption(), QString("Rotate 90"));
        QCOMPARE(at(*r.Picture1, 0, 0), coded(40, 30).pixel(0, 0) & 0xFFFFFF);
        QCOMPARE(at(*r.Picture1, 39, 29), coded(40, 30).pixel(39, 29) & 0xFFFFFF);
        // beyond the picture the box's background shows
        QCOMPARE(at(*r.Picture1, 100, 100), r.Picture1->surface().pixel(200, 200) & 0xFFFFFF);

        // Rotate clears the target first: earlier drawing goes
        plat::gdi::SetPixel(r.Picture2->hDC(), 0, 0, 0x0000FF);
        r.Command1->Press();
        QVERIFY(at(*r.Picture2, 0, 0) != (qRgb(255, 0, 0) & 0xFFFFFF));
    }

    void spinTicksShowOne()
    {
        Spin& s = Spin::get();
        QCOMPARE(s.txtTime[0]->text(), QString());
        QVERIFY(s.tmrTimer[0]->Enabled());
        QCOMPARE(s.tmrTimer[0]->Interval(), 2000);
        s.tmrTimer_Timer(0);
        QCOMPARE(s.txtTime[0]->text(), QString(" 1"));
        s.tmrTimer_Timer(0);
        QCOMPARE(s.txtTime[0]->text(), QString(" 1"));
        QCOMPARE(at(*s.Picture1, 5, 5), coded(40, 30).pixel(5, 5) & 0xFFFFFF);
    }

    void scrollBarsPressTheirButtons()
    {
        m_presses = 0;
        Scroll::get().PicScroll->setValue(5);
        QCOMPARE(m_presses, 1);

        QVERIFY(!Spin::IsLoaded());
        SpnScrol::get().VScroll1->setValue(3);
        QVERIFY(Spin::IsLoaded());
        QVERIFY(!Spin::get().isVisible());
    }
};

QTEST_MAIN(TstStandalonePicture)
#include "tst_standalone_picture.moc"
