#include <QtTest>
class TstSmoke : public QObject {
    Q_OBJECT
private slots:
    void builds() { QVERIFY(true); }
};
QTEST_MAIN(TstSmoke)
#include "tst_smoke.moc"
