#pragma once
// The Qt test programs share one main (QtTestApp.cpp): it makes the program's
// one application object before any test runs and deletes it after the last,
// on the offscreen platform unless QT_QPA_PLATFORM says otherwise. Tests
// reach it through qApp. This header adds readable failure output for Qt's
// string types.
#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << l.join(QStringLiteral("|")).toStdString(); }
