#include "platform/browser.h"

namespace plat {

namespace {
std::function<std::unique_ptr<BrowserAutomation>()>& factory()
{
    static std::function<std::unique_ptr<BrowserAutomation>()> f;
    return f;
}
} // namespace

std::unique_ptr<BrowserAutomation> CreateBrowserAutomation()
{
    if (factory()) return factory()();
    return std::make_unique<BrowserAutomation>();
}

void setBrowserAutomationFactory(std::function<std::unique_ptr<BrowserAutomation>()> f)
{
    factory() = std::move(f);
}

QList<BrowserAutomation*> ShellWindows()
{
    return {};
}

} // namespace plat
