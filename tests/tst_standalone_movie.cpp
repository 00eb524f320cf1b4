// The multimedia command interpreter, the animation control and the two
// movie windows, over a recording player that never plays anything.
#include "testsupport.h"

#include "mainwindow/form1.h"
#include "platform/animation.h"
#include "platform/clipboard.h"
#include "platform/drives.h"
#include "platform/hwnd.h"
#include "platform/mci.h"
#include "platform/media.h"
#include "standalone/aviplay.h"
#include "standalone/mavictrl.h"
#include "standalone/mmci.h"
#include "standalone/playavi.h"

#include <QFile>
#include <QPointer>
#include <QProcessEnvironment>
#include <QtTest>

#include <memory>

using testsupport::RecordingMessageBoxes;
using testsupport::TempDrives;

namespace {

// Stands in for the real player: records what it is asked and opens only
// the files whose names it is told to accept.
struct RecordingMedia {
    struct Player : plat::media::Player {
        RecordingMedia* owner;
        QPointer<QWidget> video = new QWidget;
        explicit Player(RecordingMedia* o) : owner(o) {}
        ~Player() override { delete video.data(); }
        bool open(const QString& hostPath) override
        {
            owner->calls.append("open " + QFileInfo(hostPath).fileName());
            if (owner->refusals > 0) {
                --owner->refusals;
                return false;
            }
            return owner->playable.contains(QFileInfo(hostPath).fileName());
        }
        QWidget* videoWidget() override { return video; }
        QSize frameSize() const override { return QSize(160, 120); }
        void play(bool loop) override { owner->calls.append(loop ? "play loop" : "play"); }
        void pause() override { owner->calls.append("pause"); }
        void seek(qint64 ms) override { owner->calls.append("seek " + QString::number(ms)); }
        void setMuted(bool m) override { owner->calls.append(m ? "mute" : "sound"); }
        bool isPlaying() const override { return false; }
    };

    RecordingMedia()
    {
        plat::media::setPlayerFactory([this] { return std::make_unique<Player>(this); });
        plat::mci::setCommandLog([this](const QString& c, int r) {
            commands.append(c);
            results.append(r);
        });
    }
    ~RecordingMedia()
    {
        plat::mci::closeAll();
        plat::mci::setCommandLog(nullptr);
        plat::media::setPlayerFactory(nullptr);
    }
    QStringList playable;
    int refusals = 0;     // so many next opens fail, whatever the file
    QStringList calls;    // what the player was asked
    QStringList commands; // every command string sent
    QList<int> results;
};

using Commands = QList<QPair<QString, int>>;

Commands sent(const RecordingMedia& m)
{
    Commands out;
    for (int i = 0; i < m.commands.size(); ++i)
        out.append({m.commands.at(i), m.results.at(i)});
    return out;
}

} // namespace

class TstStandaloneMovie : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDrives> m_drives;
    std::unique_ptr<RecordingMessageBoxes> m_boxes;
    std::unique_ptr<RecordingMedia> m_media;

    Form1& f() { return Form1::get(); }

    // Makes pane n show the folder with the file as its current entry and
    // the pane the active one.
    void activate(int n, const QString& folder, const QString& name)
    {
        DriveView& p = f().Pane(n);
        p.drive->Refresh();
        p.dir->setPath(folder);
        p.file->setPath(folder);
        p.file->setPattern("*.*");
        for (int i = 0; i < p.file->ListCount(); ++i)
            if (p.file->List(i) == name) {
                p.file->setSelected(i, true);
                p.file->setCurrentRow(i, QItemSelectionModel::NoUpdate);
            }
        f().Text7->setText(QString::number(n));
    }
    void finishUnloads() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  private slots:
    void initTestCase() { testsupport::isolateEnvironment(); }

    void init()
    {
        m_drives = std::make_unique<TempDrives>(2);
        m_boxes = std::make_unique<RecordingMessageBoxes>();
        m_media = std::make_unique<RecordingMedia>();
        f().Text7->setText(QString());
        for (int n = 1; n <= 5; ++n) {
            f().Pane(n).dir->setPath("C:\\");
            f().Pane(n).file->setPath("C:\\");
        }
    }

    void cleanup()
    {
        AviPlay::UnloadIfLoaded();
        PlayAvi::UnloadIfLoaded();
        finishUnloads();
        m_media.reset();
        m_boxes.reset();
        m_drives.reset();
    }

    // --- the command interpreter ---

    void commandResults_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("result");

        using namespace plat::mci;
        QTest::newRow("quoted path with a blank")
            << "open \"D:\\My Clips\\a.avi\" alias m type AVIVideo" << 0;
        QTest::newRow("unquoted path with a blank")
            << "open D:\\My Clips\\a.avi Type avivideo Alias m" << int(MCIERR_UNRECOGNIZED_KEYWORD);
        QTest::newRow("no closing quote")
            << "open \"D:\\My Clips\\a.avi alias m" << int(MCIERR_NO_CLOSING_QUOTE);
        QTest::newRow("missing file") << "open D:\\none.avi alias m" << int(MCIERR_FILE_NOT_FOUND);
        QTest::newRow("not a movie") << "open D:\\text.avi alias m" << int(MCIERR_INVALID_FILE);
        QTest::newRow("no such window")
            << "open D:\\b.avi alias m parent 7 style child" << int(MCIERR_NO_WINDOW);
        QTest::newRow("unknown verb") << "jump m" << int(MCIERR_UNRECOGNIZED_COMMAND);
        QTest::newRow("unknown alias") << "play nothing" << int(MCIERR_INVALID_DEVICE_NAME);
        QTest::newRow("close unknown") << "close video" << int(MCIERR_INVALID_DEVICE_NAME);
    }

    void commandResults()
    {
        QFETCH(QString, command);
        QFETCH(int, result);
        m_drives->write("D:\\My Clips\\a.avi", "movie");
        m_drives->write("D:\\b.avi", "movie");
        m_drives->write("D:\\text.avi", "text");
        m_media->playable = QStringList{"a.avi", "b.avi"};
        QCOMPARE(plat::mci::mciSendString(command), result);
    }

    void deviceCommandsDriveThePlayer()
    {
        using namespace plat::mci;
        m_drives->write("D:\\b.avi", "movie");
        m_media->playable = QStringList{"b.avi"};
        QWidget parent;
        const int h = plat::win::handleOf(&parent);
        QCOMPARE(mciSendString("open D:\\b.avi Type avivideo Alias video parent " +
                               QString::number(h) + " Style child"),
                 0);
        QCOMPARE(mciSendString("open D:\\b.avi alias VIDEO"), int(MCIERR_DUPLICATE_ALIAS));
        QString reply;
        QCOMPARE(mciSendString("status video window handle", &reply, 511), 0);
        QWidget* video = plat::win::widgetOf(reply.toInt());
        QVERIFY(video);
        QCOMPARE(video->parentWidget(), &parent);
        QCOMPARE(video->geometry(), QRect(0, 0, 160, 120));
        QCOMPARE(mciSendString("status video window handle", &reply, 3),
                 int(MCIERR_PARAM_OVERFLOW));
        QCOMPARE(mciSendString("put video destination at 10 20 x 40"), int(MCIERR_BAD_INTEGER));
        QCOMPARE(mciSendString("put video destination at 10 20 30 40"), 0);
        QCOMPARE(video->geometry(), QRect(10, 20, 30, 40));
        QCOMPARE(mciSendString("play video from 0 "), 0);
        QCOMPARE(mciSendString("set video audio all off "), 0);
        QCOMPARE(mciSendString("pause video"), 0);
        QCOMPARE(mciSendString("resume video"), 0);
        QCOMPARE(mciSendString("close video"), 0);
        QCOMPARE(m_media->calls,
                 (QStringList{"open b.avi", "seek 0", "play", "mute", "pause", "play"}));
        QVERIFY(!plat::win::widgetOf(reply.toInt()));
        QCOMPARE(mciSendString("close video"), int(MCIERR_INVALID_DEVICE_NAME));
    }

    // --- the movie window ---

    void aviPlayOpensAndPlays_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");

        QTest::newRow("drive root") << "C:\\"
                                    << "intro.avi"
                                    << "C:\\intro.avi";
        QTest::newRow("folder with a blank") << "D:\\My Clips"
                                             << "intro.avi"
                                             << "D:\\My Clips\\intro.avi";
    }

    void aviPlayOpensAndPlays()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, path);
        m_drives->write(path, "movie");
        m_media->playable = QStringList{name};
        activate(3, folder, name);

        AviPlay& w = AviPlay::get();
        const QString h = QString::number(w.hWnd());
        QCOMPARE(w.Caption(), "Quorbix Playing " + name);
        QCOMPARE(w.MoviePath, path);
        QCOMPARE(sent(*m_media),
                 (Commands{{"open \"" + path + "\" alias AVIvideo type AVIVideo", 0},
                           {"window AVIvideo handle " + h, 0},
                           {"put AVIvideo destination at 198 60 400 400", 0},
                           {"play AVIvideo", 0}}));
        QString reply;
        plat::mci::mciSendString("status AVIvideo window handle", &reply, 512);
        QWidget* video = plat::win::widgetOf(reply.toInt());
        QVERIFY(video);
        QCOMPARE(video->parentWidget(), w.client());
        QCOMPARE(video->geometry(), QRect(198, 60, 400, 400));
        QVERIFY(m_boxes->boxes.isEmpty());
    }

    void aviPlayFailures_data()
    {
        QTest::addColumn<QString>("active");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("prompts");
        QTest::addColumn<Commands>("commands");

        QTest::newRow("no active pane") << ""
                                        << "m.avi"
                                        << "Form4" << QStringList{} << Commands{};
        QTest::newRow("active pane text not a digit") << "2 "
                                                      << "m.avi"
                                                      << "Form4" << QStringList{} << Commands{};
        QTest::newRow("missing file")
            << "2"
            << "gone.avi"
            << "Quorbix Playing gone.avi"
            << QStringList{"cant find the requested avi video C:\\gone.avi"} << Commands{};
        QTest::newRow("hidden file counts as missing")
            << "2"
            << ".hidden.avi"
            << "Quorbix Playing .hidden.avi"
            << QStringList{"cant find the requested avi video C:\\.hidden.avi"} << Commands{};
        using namespace plat::mci;
        QTest::newRow("not a movie")
            << "2"
            << "m.avi"
            << "Quorbix Playing m.avi" << QStringList{"Error opening the file: C:\\m.avi"}
            << Commands{{"open \"C:\\m.avi\" alias AVIvideo type AVIVideo", MCIERR_INVALID_FILE},
                        {"put AVIvideo destination at 198 60 400 400", MCIERR_INVALID_DEVICE_NAME},
                        {"play AVIvideo", MCIERR_INVALID_DEVICE_NAME}};
    }

    void aviPlayFailures()
    {
        QFETCH(QString, active);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QStringList, prompts);
        QFETCH(Commands, commands);
        m_drives->write("C:\\m.avi", "not a movie");
        m_drives->write("C:\\.hidden.avi", "movie");
        m_media->playable = QStringList{".hidden.avi"};
        activate(2, "C:\\", name);
        f().Text7->setText(active);
        f().Pane(2).file->setPath("C:\\"); // drops the entry when it is missing
        if (name == ".hidden.avi" || name == "gone.avi") {
            // a name the list does not show: make it the current one by hand
            f().Pane(2).file->AddItem(name);
            f().Pane(2).file->setCurrentRow(f().Pane(2).file->count() - 1,
                                            QItemSelectionModel::NoUpdate);
        } else {
            activate(2, "C:\\", name);
            f().Text7->setText(active);
        }

        AviPlay& w = AviPlay::get();
        QCOMPARE(w.Caption(), caption);
        QCOMPARE(m_boxes->prompts(), prompts);
        for (const auto& b : m_boxes->boxes)
            QCOMPARE(b.title, QString("Quorbix"));
        if (name == "gone.avi") QCOMPARE(m_boxes->boxes.first().style, int(plat::vbCritical));
        QCOMPARE(sent(*m_media), commands);
    }

    void aviPlayButtons()
    {
        m_drives->write("D:\\Clips\\intro.avi", "movie");
        m_media->playable = QStringList{"intro.avi"};
        activate(1, "D:\\Clips", "intro.avi");
        AviPlay& w = AviPlay::get();
        m_media->commands.clear();
        m_media->results.clear();

        struct Step {
            ctl::CommandButton* button;
            QStringList commands;
            QString pauseCaption, muteCaption;
        };
        const QList<Step> steps = {
            {w.Command2, {"pause AVIvideo"}, "Resume", "Mute"},
            {w.Command3, {"stop AVIvideo", "play AVIvideo from 0 "}, "Resume", "Mute"},
            {w.Command2, {"resume AVIvideo"}, "Pause", "Mute"},
            {w.Command4, {"set AVIvideo audio all off "}, "Pause", "Sound"},
            {w.Command4, {"set AVIvideo audio all on "}, "Pause", "Mute"},
        };
        for (const Step& s : steps) {
            m_media->commands.clear();
            s.button->Press();
            QCOMPARE(m_media->commands, s.commands);
            QCOMPARE(w.Command2->text(), s.pauseCaption);
            QCOMPARE(w.Command4->text(), s.muteCaption);
        }
        QVERIFY(!m_media->results.contains(-1));
        for (int r : m_media->results)
            QCOMPARE(r, 0);

        m_media->commands.clear();
        m_media->results.clear();
        w.Command1->Press();
        finishUnloads();
        QVERIFY(!AviPlay::IsLoaded());
        using namespace plat::mci;
        QCOMPARE(sent(*m_media), (Commands{{"pause AVIvideo", 0},
                                           {"close AVIvideo", 0},
                                           {"stop AVIvideo", MCIERR_INVALID_DEVICE_NAME},
                                           {"close AVIvideo", MCIERR_INVALID_DEVICE_NAME}}));
    }

    // --- the picture-box movie window ---

    void centring_data()
    {
        QTest::addColumn<int>("difference");
        QTest::addColumn<int>("half");
        QTest::newRow("5") << 5 << 2;
        QTest::newRow("7") << 7 << 4;
        QTest::newRow("4") << 4 << 2;
        QTest::newRow("-3") << -3 << -2;
        QTest::newRow("0") << 0 << 0;
    }
    void centring()
    {
        QFETCH(int, difference);
        QFETCH(int, half);
        QCOMPARE(mMCI::HalfRoundedToEven(difference), half);
    }

    void playAviWithoutActivePane()
    {
        PlayAvi& w = PlayAvi::get();
        w.Command1->Press();
        QVERIFY(!w.Command1->isEnabled());
        QVERIFY(!w.Command2->isVisibleTo(&w));
        QVERIFY(!w.Command3->isVisibleTo(&w));
        QVERIFY(m_media->commands.isEmpty());
    }

    // The path is quoted in the open command, so one with blanks plays too.
    void playAviPlaysVideo()
    {
        m_drives->write("C:\\My Clips\\clip.avi", "movie");
        m_media->playable = QStringList{"clip.avi"};
        activate(2, "C:\\My Clips", "clip.avi");
        PlayAvi& w = PlayAvi::get();
        w.Command1->Press();
        const QString h = QString::number(w.Picture1->hWnd());
        QCOMPARE(m_media->commands,
                 (QStringList{"close video",
                              "open \"C:\\My Clips\\clip.avi\" Type avivideo Alias video parent " +
                                  h + " Style child",
                              "status video window handle", "play video "}));
        QCOMPARE(m_media->results.at(1), 0);
        QVERIFY(w.Command1->isEnabled());
        QVERIFY(w.Command2->isVisibleTo(&w));
        QVERIFY(!w.Command3->isVisibleTo(&w));
        QVERIFY(m_media->calls.contains("play"));

        // centred in the picture box, the halves rounded to even
        QString reply;
        plat::mci::mciSendString("status video window handle", &reply, 511);
        QWidget* video = plat::win::widgetOf(reply.toInt());
        QVERIFY(video);
        QCOMPARE(video->parentWidget(), w.Picture1);
        QCOMPARE(video->x(), mMCI::HalfRoundedToEven(w.Picture1->width() - 160));
        QCOMPARE(video->y(), mMCI::HalfRoundedToEven(w.Picture1->height() - 120));

        // Play again: the first video is closed before the second opens
        m_media->commands.clear();
        w.Command1->Press();
        QCOMPARE(m_media->commands.first(), QString("close video"));
        QCOMPARE(m_media->results.at(m_media->results.size() - 4), 0);
        QVERIFY(w.Command1->isEnabled());

        w.Command2->Press();
        QVERIFY(!w.Command2->isVisibleTo(&w));
        QVERIFY(w.Command1->isEnabled());
        QVERIFY(!plat::win::widgetOf(reply.toInt()));
    }

    void playAviFallsBackToAnimation()
    {
        // the device refuses the video, and the animation control gets the
        // path whole
        m_drives->write("D:\\My Clips\\clip.avi", "movie");
        m_media->playable = QStringList{"clip.avi"};
        m_media->refusals = 1;
        activate(4, "D:\\My Clips", "clip.avi");
        PlayAvi& w = PlayAvi::get();
        w.Command1->Press();
        using namespace plat::mci;
        QCOMPARE(m_media->results.at(1), int(MCIERR_INVALID_FILE));
        QVERIFY(mAVICtrl::ClassReady);
        QVERIFY(mAVICtrl::AnimationWindow != 0);
        QWidget* anim = plat::win::widgetOf(mAVICtrl::AnimationWindow);
        QVERIFY(anim);
        QCOMPARE(anim->parentWidget(), w.Picture1);
        QCOMPARE(anim->size(), QSize(160, 120));
        QCOMPARE(m_media->calls,
                 (QStringList{"open clip.avi", "open clip.avi", "mute", "play loop", "play loop"}));
        QVERIFY(!w.Command1->isEnabled());
        QVERIFY(!w.Command2->isVisibleTo(&w));
        QVERIFY(w.Command3->isVisibleTo(&w));

        w.Command3->Press();
        QCOMPARE(mAVICtrl::AnimationWindow, 0);
        QVERIFY(w.Command1->isEnabled());
        QVERIFY(!w.Command3->isVisibleTo(&w));
        mAVICtrl::CloseAnimation(); // a second close does nothing
        QCOMPARE(mAVICtrl::AnimationWindow, 0);
    }

    void playAviUnableToPlay()
    {
        m_drives->write("C:\\broken.avi", "not a movie");
        activate(1, "C:\\", "broken.avi");
        PlayAvi& w = PlayAvi::get();
        const QImage before = w.Picture1->surface();
        w.Command1->Press();
        QCOMPARE(mAVICtrl::AnimationWindow, 0);
        QVERIFY(!w.Command1->isEnabled());
        QVERIFY(!w.Command2->isVisibleTo(&w));
        QVERIFY(!w.Command3->isVisibleTo(&w));
        QVERIFY(w.Picture1->surface() != before); // the text is printed
        // a resource clip is no way out either: this platform has no modules
        QVERIFY(
            !mAVICtrl::ShowAnimation(w.Picture1->hWnd(), "C:\\module.dll", 7, true, true, true));
        QCOMPARE(mAVICtrl::ResourceModule, 0);
        QVERIFY(!mMCI::OpenVideo(w.Picture1->hWnd(), "C:\\module.dll", 7, true, true));
    }

    void temporaryFileOfTheUserStays()
    {
        m_drives->write("C:\\tempfile.avi", "users own file");
        m_drives->write("C:\\clip.avi", "movie");
        m_media->playable = QStringList{"clip.avi"};
        activate(1, "C:\\", "clip.avi");
        PlayAvi& w = PlayAvi::get();
        w.Command1->Press();
        w.Command2->Press();
        // a clip taken from a module that has none never plays that file instead
        m_media->playable.append("tempfile.avi");
        QVERIFY(!mMCI::OpenVideo(w.Picture1->hWnd(), "C:\\module.dll", 7, true, true));
        QVERIFY(!m_media->calls.contains("open tempfile.avi"));
        PlayAvi::UnloadIfLoaded();
        finishUnloads();
        QFile file(m_drives->hostPath("C:\\tempfile.avi"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("users own file"));
    }

    void unloadClosesVideo()
    {
        m_drives->write("C:\\clip.avi", "movie");
        m_media->playable = QStringList{"clip.avi"};
        activate(1, "C:\\", "clip.avi");
        PlayAvi::get().Command1->Press();
        m_media->commands.clear();
        m_media->results.clear();
        PlayAvi::UnloadIfLoaded();
        QCOMPARE(m_media->commands, QStringList{"close video"});
        QCOMPARE(m_media->results, QList<int>{0});
    }

    // The media backend is ours: the first real player is made on the FFmpeg
    // backend, and the environment every started program inherits holds no
    // QT_MEDIA_BACKEND, before or after. (The tests run without the caller's
    // QT_MEDIA_BACKEND: see tests/CMakeLists.txt.)
    void mediaBackendNotInherited()
    {
        QVERIFY(!QProcessEnvironment::systemEnvironment().contains("QT_MEDIA_BACKEND"));
        plat::media::setPlayerFactory(nullptr);
        {
            const auto player = plat::media::createPlayer();
            QVERIFY(player);
        }
        QVERIFY(!QProcessEnvironment::systemEnvironment().contains("QT_MEDIA_BACKEND"));
        QFile maps("/proc/self/maps");
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray loaded = maps.readAll();
        QVERIFY(loaded.contains("libffmpegmediaplugin"));
        QVERIFY(!loaded.contains("libgstreamermediaplugin"));
    }

    void copyToTempAvi()
    {
        m_drives->write("D:\\films\\clip.avi", "clip bytes");
        m_drives->write("C:\\Temp.avi", "old");
        activate(3, "D:\\films", "clip.avi");
        f().List2->AddItem("earlier");
        PlayAvi::get().CopyToTempAvi();
        QCOMPARE(plat::clipboard::GetText(), QString("D:\\films"));
        QCOMPARE(f().List2->ListCount(), 1);
        QCOMPARE(f().List2->List(0), QString("clip.avi"));
        QFile file(m_drives->hostPath("C:\\Temp.avi"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("clip bytes"));
    }
};

QTEST_MAIN(TstStandaloneMovie)
#include "tst_standalone_movie.moc"
