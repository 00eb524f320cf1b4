#include "controls/accessnames.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <algorithm>
#include <vector>

namespace ctl {

namespace {

bool isUncaptionedField(const QWidget* w)
{
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
           qobject_cast<const QTextEdit*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
           qobject_cast<const QComboBox*>(w);
}

// How far a label may end above its field, in pixels: about a line of the
// dialog font. A label farther away heads something else.
constexpr int kMostAbove = 20;

// The distance from the label to the field when the label sits before the
// field (above it, overlapping its columns, or left of it on its rows);
// negative when it does not.
int distanceBefore(const QRect& label, const QRect& field)
{
    const bool sharesColumns = label.left() <= field.right() && label.right() >= field.left();
    const bool sharesRows = label.top() <= field.bottom() && label.bottom() >= field.top();
    // Above: it starts higher and its middle lies above the field's middle
    // (a label may overlap the top of its field).
    if (sharesColumns && label.top() < field.top() && label.center().y() < field.center().y()) {
        const int gap = std::max(0, field.top() - label.bottom() - 1);
        return gap <= kMostAbove ? gap : -1;
    }
    // Left: it starts farther left and ends before the field's first quarter.
    if (sharesRows && label.left() < field.left() &&
        label.right() <= field.left() + field.width() / 4)
        return std::max(0, field.left() - label.right() - 1);
    return -1;
}

} // namespace

void nameFieldsByLabels(QWidget* container)
{
    if (!container) return;
    std::vector<QLabel*> labels;
    std::vector<QWidget*> fields;
    for (QObject* o : container->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow()) continue;
        if (auto* l = qobject_cast<QLabel*>(w)) {
            if (l->buddy()) {
                // It names a field already.
            } else if (!l->text().trimmed().isEmpty()) {
                // A hidden label is still where the layout puts it: the
                // field it heads keeps its name.
                labels.push_back(l);
            }
        } else if (isUncaptionedField(w) && w->accessibleName().isEmpty()) {
            fields.push_back(w);
        }
    }
    // A field that some label names already keeps it.
    for (QObject* o : container->children())
        if (auto* l = qobject_cast<QLabel*>(o); l && l->buddy())
            fields.erase(std::remove(fields.begin(), fields.end(), l->buddy()), fields.end());

    struct Pair {
        int distance;
        QLabel* label;
        QWidget* field;
    };
    std::vector<Pair> pairs;
    for (QWidget* f : fields)
        for (QLabel* l : labels)
            if (const int d = distanceBefore(l->geometry(), f->geometry()); d >= 0)
                pairs.push_back({d, l, f});
    // Nearest first: each label and each field is taken once.
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const Pair& a, const Pair& b) { return a.distance < b.distance; });
    std::vector<QObject*> taken;
    for (const Pair& p : pairs) {
        if (std::find(taken.begin(), taken.end(), p.label) != taken.end() ||
            std::find(taken.begin(), taken.end(), p.field) != taken.end())
            continue;
        taken.push_back(p.label);
        taken.push_back(p.field);
        // A buddy turns an "&" of the caption into an access key; such a
        // caption keeps drawing its "&" and names the field as it reads.
        if (p.label->text().contains(QLatin1Char('&')))
            p.field->setAccessibleName(p.label->text().trimmed());
        else
            p.label->setBuddy(p.field);
    }
}

} // namespace ctl
