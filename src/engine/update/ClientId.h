#pragma once

#include <QDateTime>
#include <QString>

// The installation's client id: the string "DUID" under the maker's key "Dovrelan", made once when
// missing and read back as it stands. "" when the store cannot be used or holds another kind;
// never throws. Safe on any thread.
QString GetClientId();

// A new 32-character id: 8 random hex digits, yymmdd, 4 random hex digits, hhnnss, 8 random hex
// digits, the date and time taken from localNow (the local clock when not given).
QString NewClientId();
QString NewClientId(const QDateTime& localNow);
