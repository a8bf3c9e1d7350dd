#pragma once

// Kit-private: the one way between the kit's strings (UTF-8 bytes) and Qt's.
// Thread: any; the results are plain values.

#include <QString>

#include <string>

namespace display {

inline QString ToQt(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// Qt reads "&" in button and menu labels as a mnemonic marker; the kit's
// labels are shown as they stand.
inline QString Literal(const std::string& text) {
    return ToQt(text).replace('&', QStringLiteral("&&"));
}

inline std::string FromQt(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

} // namespace display
