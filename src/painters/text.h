#pragma once
#include <QString>
#include <string>

// The core speaks UTF-8; Qt's painters and controls take QString.
namespace bardrill::screens {

inline QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }
inline std::string S(const QString& text) { return text.toStdString(); }

}  // namespace bardrill::screens
