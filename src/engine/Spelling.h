#pragma once
#include <QString>
#include <QStringList>

class QWebEngineProfile;

// Spell checking in the fields a person types into, in their own language, as in other
// browsers. The dictionaries come with the program (made from the system's Hunspell
// ones); a language without one is not checked rather than checked in another.
namespace Spelling {

// Where the program's dictionaries are: beside the binary in a build, in its share
// folder once installed. Empty when there are none.
QString folder(const QString &programFolder);
// The dictionary for the first of `languages` (BCP 47, most wanted first) among
// `available` ("en-US", ...): the same language and region, else the same language.
QString choose(const QStringList &languages, const QStringList &available);
// Before the first web profile: shows the engine the program's dictionaries, and
// returns their folder.
QString prepare(const QString &programFolder);
// Turns spell checking on for the person's language where `dir` has a dictionary.
void enable(QWebEngineProfile *profile, const QString &dir);

} // namespace Spelling
