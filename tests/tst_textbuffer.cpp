// The editor's text storage and its line index, each beside a plain model
// (a QString, a list of piece starts) after every edit.
#include "editor/lineindex.h"
#include "editor/textbuffer.h"

#include <QRandomGenerator>
#include <QtTest>
#include <tuple>

using Edit = std::tuple<int, int, QString>; // position, characters replaced, new text
Q_DECLARE_METATYPE(QList<Edit>)

namespace {

// Every character, every range but the whole text (asking for the whole
// text joins the spans, which would hide the rest of the edits), and every
// search for the model's short pieces, with and without case, from every
// start, those before the text and past its end included.
void compare(const TextBuffer& b, const QString& model, bool searches = true)
{
    const qsizetype n = model.size();
    QCOMPARE(b.size(), n);
    for (qsizetype i = 0; i < n; ++i)
        QCOMPARE(b.at(i), model.at(i));
    for (qsizetype from = 0; from <= n; ++from)
        for (qsizetype to = from; to <= n; ++to) {
            if (from == 0 && to == n) continue;
            QString scratch;
            QCOMPARE(b.mid(from, to - from), model.mid(from, to - from));
            QCOMPARE(b.view(from, to, &scratch).toString(), model.mid(from, to - from));
        }
    if (!searches) return;
    QStringList needles{"", "\n", "x", "N", "\r\n", "NEEDLE"};
    for (qsizetype i = 0; i < n; ++i)
        for (qsizetype m = 2; m <= 4 && i + m <= n; ++m)
            needles << model.mid(i, m) << model.mid(i, m).toUpper();
    for (const QString& needle : needles)
        for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
            auto fail = [&](const char* what, qsizetype from) {
                QString hex;
                for (QChar c : needle)
                    hex += QString::number(c.unicode(), 16) + ' ';
                QFAIL(qPrintable(QString("%1 of %2from %3, %4")
                                     .arg(what)
                                     .arg(hex)
                                     .arg(from)
                                     .arg(cs == Qt::CaseSensitive ? "case" : "any case")));
            };
            const qsizetype m = needle.size();
            for (qsizetype from = -n - 8; from <= n + 8; ++from) {
                // QString looks before its text for a longer needle there
                if (m >= 2 && from + n < 0 && from + n >= -m) continue;
                if (b.indexOf(needle, from, cs) != model.indexOf(needle, from, cs))
                    return fail("indexOf", from);
                // ... and at its end compares its terminating NUL
                if (m == 1 && from == n && needle[0].isNull()) continue;
                if (b.lastIndexOf(needle, from, cs) != model.lastIndexOf(needle, from, cs))
                    return fail("lastIndexOf", from);
            }
        }
}

} // namespace

class TstTextBuffer : public QObject {
    Q_OBJECT

  private slots:
    // Edits at the ends and in the middle, across CR LF pairs and inside
    // clusters, typing runs and ranges over several spans. Each row runs
    // twice: with the loaded text still held elsewhere (joined into a new
    // string) and held by the storage alone (joined in place).
    void editsAsOnAString_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<Edit>>("edits");
        const QString base = "one\r\ntwo\nNeedle";
        const QString flags = QString::fromUtf8("\xf0\x9f\x87\xab\xf0\x9f\x87\xb7");
        const QString acute = QString::fromUtf8("\xcc\x81");
        QTest::newRow("insert at the start") << base << QList<Edit>{{0, 0, "X"}, {0, 0, "\r\n"}};
        QTest::newRow("insert at the end") << base << QList<Edit>{{15, 0, "X"}, {16, 0, "yz"}};
        QTest::newRow("insert in the middle") << base << QList<Edit>{{6, 0, "abc"}, {2, 0, "Q"}};
        QTest::newRow("delete at the start") << base << QList<Edit>{{0, 2, ""}, {0, 1, ""}};
        QTest::newRow("delete at the end") << base << QList<Edit>{{13, 2, ""}, {12, 1, ""}};
        QTest::newRow("delete in the middle") << base << QList<Edit>{{4, 3, ""}, {1, 1, ""}};
        QTest::newRow("between CR and LF")
            << base << QList<Edit>{{4, 0, "x"}, {4, 1, ""}, {4, 0, "\r\n"}, {3, 2, ""}};
        QTest::newRow("CR LF made of two edits")
            << "ab\r" << QList<Edit>{{3, 0, "\n"}, {5, 0, "\r"}, {6, 0, "\n"}, {4, 1, ""}};
        QTest::newRow("delete across a CR LF") << base << QList<Edit>{{2, 3, ""}, {1, 0, "\n"}};
        QTest::newRow("inside a flag")
            << flags << QList<Edit>{{1, 0, "a"}, {3, 0, flags}, {1, 1, ""}, {2, 4, ""}};
        QTest::newRow("a mark typed after its letter")
            << "xe" << QList<Edit>{{2, 0, acute}, {3, 0, "y"}, {1, 2, ""}, {1, 0, acute}};
        QTest::newRow("a run of typing and backspaces")
            << base << QList<Edit>{{5, 0, "h"}, {6, 0, "e"}, {7, 0, "l"}, {8, 0, "p"},
                                   {8, 1, ""},  {7, 1, ""},  {7, 0, "y"}};
        QTest::newRow("a range over several spans")
            << base
            << QList<Edit>{{2, 0, "A"}, {6, 0, "B"}, {10, 0, "C"}, {14, 0, "D"}, {1, 12, "mid"}};
        QTest::newRow("a match split over spans")
            << "Nee\r\nle" << QList<Edit>{{3, 0, "d"}, {4, 2, ""}, {7, 0, "NEED"}, {11, 0, "le"}};
        QTest::newRow("all of it deleted and typed again")
            << base << QList<Edit>{{3, 4, "-"}, {0, 12, ""}, {0, 0, "new"}, {3, 0, "\r\n"}};
        QTest::newRow("into an empty text")
            << "" << QList<Edit>{{0, 0, "a"}, {1, 0, "\r\n"}, {0, 0, "b"}, {4, 0, "c"}};
        QTest::newRow("edits past the end are clamped")
            << base << QList<Edit>{{99, 0, "end"}, {16, 99, ""}, {-3, 1, "s"}};
    }
    void editsAsOnAString()
    {
        QFETCH(QString, text);
        QFETCH(QList<Edit>, edits);
        for (bool heldElsewhere : {true, false}) {
            QString loaded = text;
            loaded.detach();
            TextBuffer b(loaded);
            if (!heldElsewhere) loaded = QString();
            QString model = text;
            compare(b, model);
            for (const auto& [pos, len, with] : edits) {
                const qsizetype p = std::clamp<qsizetype>(pos, 0, model.size());
                model.replace(p, std::clamp<qsizetype>(len, 0, model.size() - p), with);
                b.replace(pos, len, with);
                compare(b, model);
                if (QTest::currentTestFailed()) return;
            }
            QCOMPARE(b.toString(), model);
            if (heldElsewhere) QCOMPARE(loaded, text); // the loaded string is never written
            // joined, it goes on as before
            b.replace(0, 1, u"Z");
            model.replace(0, 1, "Z");
            compare(b, model);
            QCOMPARE(b.toString(), model);
        }
    }

    // Many edits in random places, a text of CR LF pairs, lone CRs and
    // clusters.
    void randomEdits()
    {
        QRandomGenerator rng(23);
        const QStringList pieces = {"\r\n",
                                    "\r",
                                    "\n",
                                    "ab",
                                    "Needle",
                                    QString::fromUtf8("e\xcc\x81"),
                                    QString::fromUtf8("\xf0\x9f\x87\xab\xf0\x9f\x87\xb7"),
                                    ""};
        QString model = "start\r\nthe middle\rend";
        TextBuffer b(model);
        for (int step = 0; step < 150; ++step) {
            const qsizetype pos = rng.bounded(int(model.size() + 1));
            const qsizetype len =
                model.size() > 24 ? rng.bounded(int(std::min<qsizetype>(model.size() - pos, 9)) + 1)
                                  : rng.bounded(2);
            const QString with = pieces[rng.bounded(int(pieces.size()))];
            model.replace(pos, len, with);
            b.replace(pos, len, with);
            compare(b, model, step % 8 == 0);
            if (QTest::currentTestFailed()) return;
        }
        QVERIFY(b.spanCount() > 1);
        QCOMPARE(b.toString(), model);
    }

    // The line index beside a plain list of starts and rows: pieces replaced
    // (one, none, many, across blocks), the rest moved, rows changed.
    void lineIndexAsAList()
    {
        QRandomGenerator rng(5);
        std::vector<qsizetype> starts;
        std::vector<int> rows;
        std::vector<LineIndex::Part> parts(3);
        for (qsizetype s = 0, i = 0; i < 3000; ++i) {
            starts.push_back(s);
            rows.push_back(1 + rng.bounded(3));
            parts[size_t(i / 1100)].push(s, rows.back());
            s += 1 + rng.bounded(60);
        }
        LineIndex index;
        index.assign(std::move(parts));
        auto check = [&] {
            const qsizetype n = qsizetype(starts.size());
            QCOMPARE(index.count(), n);
            qint64 above = 0;
            for (qsizetype i = 0; i < n; ++i) {
                QCOMPARE(index.start(i), starts[size_t(i)]);
                QCOMPARE(index.rows(i), rows[size_t(i)]);
                QCOMPARE(index.rowsBefore(i), above);
                for (qsizetype pos : {starts[size_t(i)], starts[size_t(i)] + 1}) {
                    const auto up = std::upper_bound(starts.begin(), starts.end(), pos);
                    QCOMPARE(index.pieceOf(pos), qsizetype(up - starts.begin()) - 1);
                    const auto low = std::lower_bound(starts.begin(), starts.end(), pos);
                    QCOMPARE(index.firstFrom(pos), qsizetype(low - starts.begin()));
                }
                qint64 left = -1;
                QCOMPARE(index.pieceAtRow(above + rows[size_t(i)] - 1, &left), i);
                QCOMPARE(left, qint64(rows[size_t(i)] - 1));
                above += rows[size_t(i)];
            }
            QCOMPARE(index.totalRows(), above);
            qint64 left = -1;
            QCOMPARE(index.pieceAtRow(above, &left), n);
        };
        check();
        for (int step = 0; step < 120 && !QTest::currentTestFailed(); ++step) {
            const qsizetype n = qsizetype(starts.size());
            if (step % 4 == 3) {
                const qsizetype i = rng.bounded(int(n));
                rows[size_t(i)] = 1 + rng.bounded(40);
                index.setRows(i, rows[size_t(i)]);
                check();
                continue;
            }
            // now and then many pieces go, or come, over several blocks
            const qsizetype first = 1 + rng.bounded(int(n));
            const qsizetype last = std::min(n, first + rng.bounded(step % 10 == 0 ? 1500 : 4));
            const int made = step % 20 == 0 ? 2500 : rng.bounded(4);
            const qsizetype lo = starts[size_t(first - 1)];
            // room for the new pieces between the one before and the moved ones
            qsizetype delta = 0;
            qsizetype hi = lo + 1 + 3 * made;
            if (last < n) {
                delta = hi - starts[size_t(last)] + rng.bounded(40);
                hi = starts[size_t(last)] + delta;
            }
            std::vector<qsizetype> fresh;
            std::vector<int> freshRows;
            for (int k = 0; k < made && lo + 1 + k < hi; ++k) {
                fresh.push_back(lo + 1 + qsizetype(k) * (hi - lo - 1) / made);
                freshRows.push_back(1 + rng.bounded(5));
            }
            index.replace(first, last, fresh, freshRows, delta);
            for (qsizetype i = last; i < n; ++i)
                starts[size_t(i)] += delta;
            starts.erase(starts.begin() + first, starts.begin() + last);
            starts.insert(starts.begin() + first, fresh.begin(), fresh.end());
            rows.erase(rows.begin() + first, rows.begin() + last);
            rows.insert(rows.begin() + first, freshRows.begin(), freshRows.end());
            check();
        }
    }
};

QTEST_APPLESS_MAIN(TstTextBuffer)
#include "tst_textbuffer.moc"
