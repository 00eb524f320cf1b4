#include "weblinks/linkslots.h"

#include "mainwindow/form1.h"
#include "mainwindow/module3.h"

namespace weblinks {

int slotCount(LinkFamily family)
{
    switch (family) {
    case LinkFamily::Auction:
    case LinkFamily::Engine:
        return 10;
    case LinkFamily::Favorite:
        return 20;
    case LinkFamily::None:
        break;
    }
    return 0;
}

QString slotName(LinkFamily family, int n)
{
    switch (family) {
    case LinkFamily::Auction:
        return QStringLiteral("mnuAuc%1").arg(n);
    case LinkFamily::Favorite:
        return QStringLiteral("mnuFav%1").arg(n);
    case LinkFamily::Engine:
        return QStringLiteral("mnuYes%1").arg(n);
    case LinkFamily::None:
        break;
    }
    return QString();
}

QAction* slotItem(LinkFamily family, int n)
{
    Form1& f = Form1::get();
    const std::size_t i = std::size_t(n - 1);
    switch (family) {
    case LinkFamily::Auction:
        return f.mnuAuc.at(i);
    case LinkFamily::Favorite:
        return f.mnuFav.at(i);
    case LinkFamily::Engine:
        return f.mnuYes.at(i);
    case LinkFamily::None:
        break;
    }
    return nullptr;
}

int firstFreeSlot(LinkFamily family)
{
    for (int n = 1; n <= slotCount(family); ++n)
        if (!slotItem(family, n)->isVisible()) return n;
    return 0;
}

QStringList storedAddresses(LinkFamily family)
{
    QStringList addresses;
    for (int n = 1; n <= slotCount(family); ++n) {
        const QString a =
            Module3::ReadRegValue(Module3::HKEY_CURRENT_USER, kAddressKey, slotName(family, n));
        addresses << (a.isNull() ? QStringLiteral("") : a);
    }
    return addresses;
}

int slotForRequest(LinkFamily family, const ChosenSlot& chosen, const QString& prefix,
                   const QString& request, const QString& suffix)
{
    auto holds = [&](int n) {
        QAction* item = slotItem(family, n);
        return item->isVisible() && prefix + item->text() + suffix == request;
    };
    if (chosen.slot >= 1 && chosen.slot <= slotCount(family) && chosen.request == request &&
        holds(chosen.slot))
        return chosen.slot;
    for (int n = 1; n <= slotCount(family); ++n)
        if (holds(n)) return n;
    return 0;
}

QString limitMessage(LinkFamily family)
{
    QString first;
    switch (family) {
    case LinkFamily::Auction:
        first = QStringLiteral("You have reached the limit for extra Auction links.");
        break;
    case LinkFamily::Favorite:
        first = QStringLiteral("You have reached the limit for extra Favorite links.");
        break;
    case LinkFamily::Engine:
        first = QStringLiteral("You have reached the limit for extra Search Engine links.");
        break;
    case LinkFamily::None:
        break;
    }
    return first + QStringLiteral("\r\nMore extra links may be available under another category."
                                  "\r\nOr remove a link to add another one.");
}

QString uptoNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

} // namespace weblinks
