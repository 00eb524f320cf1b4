#pragma once
// The fixed lists of file-name endings by which a pane's file is opened. A
// name matches a form when its last n characters, n being the form's own
// length, equal the form exactly (case-sensitively); no dot is required, and
// a name shorter than the form is compared whole.
#include <QString>
#include <QStringList>

namespace openbytype {

// Files started as programs.
extern const QStringList ProgramSuffixes;
// Sound and video for the media player; the MPEG forms are tested in pane 1
// only.
QStringList MediaSuffixes(int pane);
// The pictures View Graphic accepts, in its order of testing.
extern const QStringList PictureSuffixes;
// The double-click's own picture group: PictureSuffixes in another order,
// with the JPEG forms added.
extern const QStringList DispatchPictureSuffixes;
// Archives handed to the desktop's associated program.
extern const QStringList ArchiveSuffixes;

// The media player's command prefix: its fixed path and one or two blanks.
QString MediaPlayerPath(int blanks);

bool EndsWithForm(const QString& name, const QString& form);
// The first form of the list that the name ends in; empty when none.
QString MatchingForm(const QString& name, const QStringList& forms);

} // namespace openbytype
