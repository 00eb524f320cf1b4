#include "weblinks/inet.h"

#include "platform/process.h"
#include "weblinks/iseek.h"
#include "weblinks/istart.h"
#include "weblinks/linkslots.h"
#include "weblinks/openinbrowser.h"
#include "weblinks/webwindows.h"

#include <QUrl>

namespace {

// Where the search text goes into an address.
const QString kText = QStringLiteral("{TEXT}");

// The look of the partner search page: eleven key%3Avalue%3B pairs.
QString lookAndFeel()
{
    return QStringLiteral("GIMP%3A003399%3BT%3A000000%3BALC%3AFF0000%3BGFNT%3A808080%3B"
                          "LC%3A003399%3BBGC%3AFFFFFF%3BAH%3Aleft%3BVLC%3A800080%3BGL%3A0%3B"
                          "S%3Ahttp%3A%2F%2Fwww.quorbix.info%3BAWFID%3A4e7a0c9d2b18f653%3B");
}

struct Engine {
    const char* key;
    QString address; // kText marks each place of the search text
};

const QList<Engine>& engines()
{
    static const QString hotBot = QStringLiteral("http://www.hotbot.com");
    static const QList<Engine> table = {
        {"Search All The Web",
         "http://www.alltheweb.com/search?{TEXT}=web&cs=utf-8&q={TEXT}&_sb_lang=en"},
        {"Search AltaVista",
         "http://www.altavista.com/web/results?q={TEXT}&submit2=Search&what=web&fmt=d"},
        {"Search Ask Jeeves", "http://www.askjeeves.com/main/askjeeves.asp?ask={TEXT}"},
        {"Search AOL", "http://search.aol.com/dirsearch.adp?start=&from=topsearchbox.%2Findex.adp"
                       "&query={TEXT}&x=22&y=10"},
        {"Search Big Eye", "http://partners.mamma.com/Bigeye?lang=1&timeout=4&rpp=15&query={TEXT}"
                           "&Submit=Find+It%21&qtype=0"},
        {"Search CNET", "http://" + IStart::kPortalHost + "/search?channel=1&q={TEXT}"},
        {"Search Dmoz", "http://search.dmoz.org/cgi-bin/search?search={TEXT}"},
        {"Search EarthLink", "http://search.earthlink.net/search?site=earthlink-ss&q={TEXT}"},
        {"Search Google", "http://www.google.com/custom?q={TEXT}&sa=Search&cof=" + lookAndFeel()},
        {"Search Internet Sleuth", "http://www.isleuth.com/wbresults.htm?q={TEXT}&i=0&c=10"},
        {"Search Inktomi",
         hotBot + "/default.asp?prov=Inktomi&query={TEXT}&ps=&loc=searchbox&tab=web"},
        {"Search About", "http://search.about.com/fullsearch.htm?terms={TEXT}"},
        {"Search HotBot", hotBot + "/default.asp?prov=FAST&query={TEXT}&ps=&loc=searchbox&tab=web"},
        {"Search Lycos",
         "http://search.lycos.com/default.asp?lpv=1&loc=searchhp&tab=web&query={TEXT}"},
        {"Search LookSmart", "http://search.looksmart.com/r_search?key={TEXT}"},
        {"Search Mamma",
         "http://www.mamma.com/Mamma?query={TEXT}&qtype=0&image222.x=26&image222.y=13"},
        {"Search MSN", "http://search.msn.com/results.asp?RS=CHECKED&FORM=MSNH&v=1&q={TEXT}"},
        {"Search MetaCrawler",
         "http://www.metacrawler.com/texis/search?brand=metacrawler&q={TEXT}&redirect=&top=1"
         "&method=0&rpp=20&hpe=10&region=0&timeout=0&sort=0&theme=classic"},
        {"Search Ixquick", "http://www.ixquick.com/do/metasearch.pl?{TEXT}=web{TEXT}=web"
                           "&cmd=process_search&language=english&query={TEXT}"
                           "&orl=&search.x=25&search.y=11"},
        {"Search Overture", "http://www.overture.com/d/search/?type=home&mkt=us&Keywords={TEXT}"},
        {"Search Teoma", hotBot + "/default.asp?prov=Teoma&query={TEXT}&ps=&loc=searchbox&tab=web"},
        {"Search WiseNut", "http://www.wisenut.com/search/query.dll?q={TEXT}"},
        {"Search Yahoo", "http://search.yahoo.com/bin/search?p={TEXT}"},
    };
    return table;
}

} // namespace

Inet::Inet()
{
    setObjectName("Inet");
    setCaption(QString());
    setBackColor(weblinks::vbHighlightText);
    setClientSizeTwips(5280, 3795);
    setWindowState(Qt::WindowMaximized);
    QWidget* c = client();
    VScroll1 = new QScrollBar(Qt::Vertical, c);
    VScroll1->setObjectName("VScroll1");
    ctl::Move(VScroll1, 11700, 480, 255, 7815);
    Command1 = weblinks::makeButton(c, "Command1", "Go Back", 50, 7900, 950, 375);
    Command2 = weblinks::makeButton(c, "Command2", "Go Forward", 1035, 7900, 950, 375);
    for (ctl::CommandButton* b : {Command1, Command2})
        b->setFont(ctl::vbFont("Times New Roman", 8.25, true));
    setTabOrder(VScroll1, Command1);
    setTabOrder(Command1, Command2);

    connect(Command1, &ctl::CommandButton::Click, this, [this] { Command1_Click(); });
    connect(Command2, &ctl::CommandButton::Click, this, [this] { Command2_Click(); });
}

std::optional<QString> Inet::EngineAddress(const QString& request, const QString& text)
{
    // The text goes in percent-encoded (UTF-8), so "&", "#", "+", blanks and
    // letters outside ASCII reach the engine as typed instead of ending the
    // value, starting a fragment or reading as blanks. The encoded text holds
    // no marker, and is never searched for one.
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(text));
    for (const Engine& e : engines())
        if (request == QLatin1String(e.key)) return e.address.split(kText).join(encoded);
    return std::nullopt;
}

void Inet::Form_Load()
{
    using weblinks::LinkFamily;
    auto browser = weblinks::OpenBrowserObject();
    ISeek& dialog = ISeek::get();
    const QString text = dialog.Text1->Text();
    const QString request = dialog.Caption();
    std::optional<QString> address = EngineAddress(request, text);
    if (!address) {
        const int n = weblinks::slotForRequest(LinkFamily::Engine, dialog.chosenSlot, "Quorbix ",
                                               request, " Search");
        if (n > 0) address = weblinks::storedAddresses(LinkFamily::Engine).at(n - 1);
    }
    if (!address) return; // stays loaded; the dialog's Okay shows this window
    weblinks::StartBrowser(*address, plat::vbNormalFocus);
    if (!weblinks::CloseBrowserObject(browser.get())) return; // busy: stays loaded
    Unload();
    dialog.Hide();
}
