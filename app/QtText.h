#pragma once
// The program's 8-bit texts (UTF-8 in std::string) as Qt strings and back: the one place
// where the window turns table fields, feed items and links into what widgets show.

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>

namespace wispel {

inline QString fromText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string toText(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace wispel
