#pragma once
// The movie window: plays the active pane's movie through the multimedia
// commands under the alias "AVIvideo", drawn into this window, with End,
// Pause/Resume, Rewind and Mute/Sound.
#include "controls/controls.h"
#include "controls/vbform.h"
#include "platform/hwnd.h"

class AviPlay : public ctl::Form<AviPlay> {
    Q_OBJECT
  public:
    AviPlay();

    ctl::CommandButton* Command1; // End
    ctl::CommandButton* Command2; // Pause / Resume
    ctl::CommandButton* Command3; // Rewind
    ctl::CommandButton* Command4; // Mute / Sound

    QString MoviePath;
    static inline const QString kAlias = QStringLiteral("AVIvideo");

    void OpenScene();
    void Play(int repeat);
    void Position(qint32 mLeft, qint32 mTop, qint32 mWidth, qint32 mHeight);
    void CloseScene();

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();

    // The window's own handle: its client area, where the movie is drawn.
    plat::win::HWND hWnd() { return plat::win::handleOf(client()); }

  protected:
    void Form_Load() override;
    void Form_Unload() override;
};
