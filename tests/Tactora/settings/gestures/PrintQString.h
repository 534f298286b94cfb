#pragma once

#include <ostream>

#include <QString>

// Failures show Qt strings as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
