#pragma once
// The web browser's automation object and the shell's window collection.
// On this platform the object is a stand-in: it can be created, is never
// busy and never visible, and its Quit ends nothing. Tests replace its
// creation to make it fail or report busy.
#include <QList>
#include <functional>
#include <memory>

namespace plat {

class BrowserAutomation {
  public:
    virtual ~BrowserAutomation() = default;
    virtual bool Busy() const { return false; }
    virtual bool Visible() const { return false; }
    virtual void Quit() {}
};

// Creates the object by its class name; throws FileError(429, "ActiveX
// component can't create object") when it cannot be created.
std::unique_ptr<BrowserAutomation> CreateBrowserAutomation();

// Tests: a factory that returns the object (or throws). Empty restores the
// stand-in.
void setBrowserAutomationFactory(std::function<std::unique_ptr<BrowserAutomation>()> factory);

// The shell's open browser and folder windows: none here.
QList<BrowserAutomation*> ShellWindows();

} // namespace plat
