#pragma once
// The search-engine launcher: builds the query address of the engine (or
// the stored address of the engine link) that the search-text dialog names,
// starts the browser, unloads itself and hides the dialog.
#include "controls/controls.h"
#include "controls/vbform.h"

#include <QScrollBar>
#include <optional>

class Inet : public ctl::Form<Inet> {
    Q_OBJECT
  public:
    Inet();

    ctl::CommandButton* Command1; // "Go Back"
    ctl::CommandButton* Command2; // "Go Forward"
    QScrollBar* VScroll1;

    void Command1_Click() {}
    void Command2_Click() {}

    // The query address of a fixed engine with the search text put in
    // percent-encoded at each of its places, or nothing when the request
    // names no engine.
    static std::optional<QString> EngineAddress(const QString& request, const QString& text);

  protected:
    void Form_Load() override;
};
