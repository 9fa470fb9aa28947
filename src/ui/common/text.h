#pragma once

#include <QString>
#include <string>

namespace velmora {

// The one place where the core's UTF-8 texts and Qt's strings meet.
inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
inline QString Q(const char* text) {
    return QString::fromUtf8(text);
}
inline std::string U(const QString& text) {
    return text.toStdString();
}

}  // namespace velmora
