#pragma once
// The user's own links: forty numbered slots in three families. A slot holds
// a link while its menu item is visible; its name is stored under the menu
// key and its address under the address key, both named after the item.
#include <QAction>
#include <QString>
#include <QStringList>

namespace weblinks {

enum class LinkFamily { None, Auction, Favorite, Engine };

inline const QString kMenuKey = QStringLiteral("Software\\Quorbix\\Menu");
inline const QString kAddressKey = QStringLiteral("Software\\Quorbix\\WebLinks");

int slotCount(LinkFamily family);
// "mnuAuc1", "mnuFav12", "mnuYes10"; empty for no family.
QString slotName(LinkFamily family, int n);
// The slot's menu item on the main window (n = 1 .. slotCount).
QAction* slotItem(LinkFamily family, int n);
// The lowest free slot, testing from slot 1 upwards; 0 when all are in use.
int firstFreeSlot(LinkFamily family);

// Every stored address of the family, slot 1 first; missing ones are empty.
QStringList storedAddresses(LinkFamily family);
// The slot item a request dialog was opened from, with the request (the
// dialog's caption) that its click wrote.
struct ChosenSlot {
    int slot = 0; // 0: the request came from no slot item
    QString request;
};

// The slot whose address a launcher opens for a request. When the request
// is the one a slot item wrote, that slot decides (two links of one name
// each open their own address), while it still holds the link that was
// chosen: visible, and its item still giving the request. Otherwise, and
// without a chosen slot, the lowest slot holding a link whose item reads
// prefix + caption + suffix as the request; 0 when none does. Free slots
// never match: their leftover captions would open an empty or a wrong page.
int slotForRequest(LinkFamily family, const ChosenSlot& chosen, const QString& prefix,
                   const QString& request, const QString& suffix);

// The message of a full family, three lines.
QString limitMessage(LinkFamily family);

// Text as far as its first NUL: the store keeps no more, so the menu shows
// exactly what comes back at the next start.
QString uptoNul(const QString& text);

} // namespace weblinks
